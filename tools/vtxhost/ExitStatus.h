#pragma once
// The exit statuses of vtxhost, one per kind of outcome, so that scripts can tell a patch
// the host refused from a run that went wrong.
namespace vtxhost {

enum ExitStatus : int {
    kExitSuccess = 0,       // the command did what was asked; a run had no block errors
    kExitRefused = 1,       // a patch, module or file was refused before anything ran
    kExitUsage = 2,         // the command line was wrong
    kExitRunErrors = 3,     // the run went on, but a block reported an error or a trapped exception
    kExitInterrupted = 130, // stopped by SIGINT (Ctrl-C) after a clean stop of the patch
};

} // namespace vtxhost
