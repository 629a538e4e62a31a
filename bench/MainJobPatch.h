#pragma once
// The main job's patch for in-process benchmarks, with a repeating source so that every
// round does the same work, and its loader: the catalog is added to the kernel in process,
// so the patch names no module.
#include <memory>
#include <stdexcept>
#include <string>

#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleCatalog.h"
#include "host/patch/PatchFile.h"
#include "module/SignatureList.h"

namespace benchpatch {

constexpr const char* kMainJob = R"({
  "name": "intervals",
  "blocks": [
    {"name": "generator", "catalog": "Brennick2010", "class": "LabelledSetIntervalGenerator",
     "parameters": {"num_items": 3, "label_0": "low", "min_0": 0, "max_0": 1,
                    "label_2": "high", "min_2": 10, "max_2": 20}},
    {"name": "sets", "class": "sink"},
    {"name": "bounds", "class": "sequence_source",
     "parameters": {"catalog": "Brennick2010", "class": "Interval", "values": ["0,1", "2,3", "4,5"],
                    "repeat": true}},
    {"name": "store", "catalog": "Brennick2010", "class": "Vector",
     "parameters": {"size": 2, "write_position": 1, "read_position": 1}},
    {"name": "stored", "class": "sink"}
  ],
  "links": [
    {"from": "generator.output", "to": "sets.input"},
    {"from": "bounds.output", "to": "store.input"},
    {"from": "store.output", "to": "stored.input"}
  ]
})";

inline vtxhost::LoadedPatch Load(vtxhost::CKernelServices& kernel, const std::string& text = kMainJob) {
    Vtx::BuildSignatures(1033);
    kernel.AddCatalog(std::make_shared<vtxhost::CModuleCatalog>(Vtx::ChooseSignature(1033)));
    return vtxhost::LoadPatchText(kernel, text, "bench", ".",
                                  [](vtxhost::CKernelServices&, const std::string&) -> std::shared_ptr<void> {
                                      throw std::logic_error("the benchmark patch names no module");
                                  });
}

} // namespace benchpatch
