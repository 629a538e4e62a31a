// The patch editor of vtxhost serve in headless Chromium, as a user works with it: the main
// job's five blocks with their bitmaps, a run with values arriving on the sinks and on a
// hovered link, the profiling pane, a pause and one step, parameters changed while running
// and while stopped, a block's messages in the log, a Vector and a sink added from the
// palette and linked, a link refused with its reason, the patch saved and run again by
// vtxhost run.
// node web/test/editor.mjs BUILD_DIR SOURCE_DIR; screenshots go to BUILD_DIR/editor-*.png.
import { chromium } from 'playwright-core';
import { spawn, execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, existsSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createInterface } from 'node:readline';
import assert from 'node:assert/strict';

const [build, source] = process.argv.slice(2);
const vtxhost = join(build, 'vtxhost');
const folder = mkdtempSync(join(tmpdir(), 'vtx-editor-'));
const shot = (page, name) => page.screenshot({ path: join(build, `editor-${name}.png`) });

// The main job's patch, pointed at this build tree's module.
const mainJob = JSON.parse(readFileSync(join(source, 'examples/intervals.json'), 'utf8'));
mainJob.modules = [join(build, 'libBrennick2010.so')];
writeFileSync(join(folder, 'intervals.json'), JSON.stringify(mainJob, null, 2));
// vtxhost serve on a patch of the folder, and the address with the token it prints.
const serve = async (patchFile, extra = []) => {
  const child = spawn(vtxhost, ['serve', join(folder, patchFile), ...extra], { stdio: ['ignore', 'pipe', 'inherit'] });
  const address = await new Promise((resolve, reject) => {
    const lines = createInterface({ input: child.stdout });
    lines.on('line', (line) => { const found = line.match(/http:\/\/\S+/); if (found) resolve(found[0]); });
    child.on('exit', (code) => reject(new Error(`vtxhost serve ended with ${code}`)));
    setTimeout(() => reject(new Error('vtxhost serve printed no address')), 20000);
  });
  return { process: child, address };
};
const main = await serve('intervals.json', ['--modules', build]);
const url = main.address;
// A patch whose Step block throws in every Execute (a module the checker's tests build).
writeFileSync(join(folder, 'faulty.json'), JSON.stringify({
  name: 'faulty', modules: [join(build, 'tests/libCheckThrowingExecute.so')],
  blocks: [
    { name: 'counts', class: 'sequence_source', parameters: { catalog: 'Faulty', class: 'Counter', values: ['1', '2'], repeat: true } },
    { name: 'step', catalog: 'Faulty', class: 'Step' },
    { name: 'out', class: 'sink' }],
  links: [{ from: 'counts.output', to: 'step.input' }, { from: 'step.output', to: 'out.input' }],
}));
const faulty = await serve('faulty.json');

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
let failed = false;
try {
  const page = await browser.newPage({ viewport: { width: 1400, height: 860 } });
  const pageErrors = [];
  page.on('pageerror', (error) => pageErrors.push(error.message));
  const sinkValue = (name) => page.locator(`.node-value[data-block="${name}"]`);
  const node = (name) => page.locator('.drawflow-node', { has: page.locator(`strong:text-is("${name}")`) });
  const idle = () => page.waitForFunction(() => (document.body.dataset.busy || '0') === '0');
  // Types a value into a parameter's field and waits for the server's answer and the redraw.
  const setField = async (id, value) => {
    await idle();
    await page.fill(`#panel input[name="${id}"]`, value);
    await page.press(`#panel input[name="${id}"]`, 'Enter');
    await page.waitForTimeout(50);
    await idle();
  };
  const nodeId = (name) => node(name).evaluate((n) => n.id.replace('node-', ''));
  const state = (text) => page.waitForFunction((t) => document.querySelector('#state').textContent.startsWith(t), text);

  // The main job: five blocks, the catalog's two with their class bitmaps.
  await page.goto(url);
  await page.locator('.drawflow-node').nth(4).waitFor();
  assert.equal(await page.locator('.drawflow-node').count(), 5);
  for (const name of ['generator', 'store']) {
    const image = node(name).locator('img');
    await image.waitFor();
    assert.ok(await image.evaluate((img) => img.complete && img.naturalWidth > 0), `${name} shows its bitmap`);
  }
  assert.equal(await page.locator('.drawflow .connection').count(), 3);
  assert.ok(await page.locator('.palette-item img').count() >= 2, 'the palette shows the classes\' bitmaps');
  await shot(page, 'loaded');

  // Running: the sink shows the generator's set.
  await page.click('#start');
  await state('running');
  await page.waitForFunction(() => document.querySelector('.node-value[data-block="sets"]').textContent.includes('"low"'));

  // While running, the item count may not change; an item's label may.
  await node('generator').locator('.node-head').click();
  // The catalog's parameters are not shown on the block's face: they are under the fold.
  await page.click('#panel summary');
  assert.ok(await page.locator('#panel input[name="num_items"]').isDisabled(), 'num_items is fixed while running');
  await setField('label_0', 'lowest');
  await page.waitForFunction(() => document.querySelector('.node-value[data-block="sets"]').textContent.includes('"lowest"'));

  // A hovered link shows the latest value on it.
  await page.locator(`svg.connection.node_out_node-${await nodeId('bounds')} .main-path`).hover({ force: true });
  await page.waitForFunction(() => !document.querySelector('#link-value').hidden &&
    /^bounds\.output: \S/.test(document.querySelector('#link-value').textContent) &&
    !document.querySelector('#link-value').textContent.includes('no value'));

  // Profiling: every block that executes has its row, with a count that grows.
  await page.click('.tabs button[data-tab="profile"]');
  const executes = (name) => page.evaluate((n) => {
    const row = document.querySelector(`#profile tbody tr[data-block="${n}"]`);
    return row ? Number(row.cells[2].textContent) : 0;
  }, name);
  await page.waitForFunction(() => document.querySelector('#profile tbody tr[data-block="generator"]'));
  const before = await executes('generator');
  await page.waitForFunction((n) => Number(document.querySelector('#profile tbody tr[data-block="generator"]').cells[2].textContent) > n, before);
  for (const name of ['store', 'bounds']) assert.ok(await executes(name) > 0, `${name} has a profile`);
  await shot(page, 'running');
  await page.click('.tabs button[data-tab="log"]');

  // Paused, a step runs exactly one round.
  await page.click('#pause');
  await state('paused');
  await page.waitForTimeout(200);
  const roundNow = async () => Number((await page.textContent('#round')).replace(/\D/g, ''));
  const paused = await roundNow();
  await page.click('#step');
  await page.waitForFunction((n) => document.querySelector('#round').textContent === `round ${n + 1}`, paused);
  await page.waitForTimeout(200);
  assert.equal(await roundNow(), paused + 1, 'one step, one round');
  await page.click('#resume');
  await state('running');

  // Stopped, the count grows and the new item gets a label and bounds.
  await page.click('#stop');
  await state('stopped');
  await setField('num_items', '5');
  await page.locator('#panel input[name="label_4"]').waitFor();
  for (const [id, value] of [['label_4', 'extra'], ['min_4', '30'], ['max_4', '40']]) await setField(id, value);
  // A value outside its domain is refused beside its field, with the reason.
  await setField('num_items', '-1');
  await page.locator('#panel .error', { hasText: 'domain' }).waitFor();
  await page.click('#start');
  await state('running');
  await page.waitForFunction(() => document.querySelector('.node-value[data-block="sets"]').textContent.includes('"extra"'));
  await page.click('#stop');
  await state('stopped');

  // A Vector and a sink from the palette, linked store -> vector1 -> sink1.
  await page.locator('.palette-item[data-class="Vector"]').dblclick();
  await node('vector1').waitFor();
  await page.locator('.palette-item[data-class="sink"]').dblclick();
  await node('sink1').waitFor();
  const drag = async (from, to) => {
    await node(from).locator('.output_1').hover();
    await page.mouse.down();
    await node(to).locator('.input_1').hover();
    await page.mouse.up();
  };
  await drag('store', 'vector1');
  await page.waitForFunction(() => document.querySelectorAll('.drawflow .connection').length === 4);
  await drag('vector1', 'sink1');
  await page.waitForFunction(() => document.querySelectorAll('.drawflow .connection').length === 5);
  // An input takes one link: a second one is refused with the reason, and taken back.
  await drag('generator', 'sink1');
  await page.waitForFunction(() => document.querySelector('#notice').classList.contains('error'));
  const reason = await page.textContent('#notice');
  assert.match(reason, /add_link: /);
  await page.waitForFunction(() => document.querySelectorAll('.drawflow .connection').length === 5);
  await shot(page, 'edited');

  await page.fill('#save-path', 'edited.json');
  await page.click('#save');
  await page.waitForFunction(() => document.querySelector('#notice').textContent.startsWith('saved'));
  assert.deepEqual(pageErrors, []);

  // Another patch in another tab: a block that throws in Execute has its messages in the
  // log, and the block is highlighted.
  const second = await browser.newPage({ viewport: { width: 1400, height: 860 } });
  second.on('pageerror', (error) => pageErrors.push(error.message));
  await second.goto(faulty.address);
  await second.locator('.drawflow-node').nth(2).waitFor();
  await second.click('#start');
  const line = second.locator('#log .kind-4', { hasText: 'step Execute' }).first();
  await line.waitFor();
  assert.match(await line.textContent(), /the counter overflowed on purpose/);
  const stepNode = second.locator('.drawflow-node', { has: second.locator('strong:text-is("step")') });
  assert.ok(await stepNode.evaluate((n) => n.classList.contains('highlight')), 'the block of the message is highlighted');
  await second.screenshot({ path: join(build, 'editor-messages.png') });
  await second.click('#stop');
  assert.deepEqual(pageErrors, []);
} catch (error) {
  failed = true;
  console.error(error);
} finally {
  await browser.close();
  main.process.kill('SIGTERM');
  faulty.process.kill('SIGTERM');
}

if (!failed) {
  // The saved patch runs under vtxhost run: sink1 gets what stored gets, round by round.
  const saved = join(folder, 'edited.json');
  assert.ok(existsSync(saved), 'the patch was saved');
  const output = execFileSync(vtxhost, ['run', saved, '--activations', '4'], { encoding: 'utf8' });
  const rounds = output.split(/\n(?=\[\d+\])/).slice(1);
  assert.equal(rounds.length, 4, output);
  for (const round of rounds) {
    const stored = round.match(/\n  stored: (.*)/), copied = round.match(/\n  sink1: (.*)/);
    assert.equal(copied?.[1], stored?.[1], `sink1 follows stored in:\n${round}`);
  }
  assert.match(output, /"extra"/);
  assert.match(output, /"lowest"/);
  console.log('editor test passed');
}
rmSync(folder, { recursive: true, force: true });
process.exit(failed ? 1 : 0);
