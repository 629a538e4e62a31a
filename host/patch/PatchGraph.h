#pragma once
// A patch as a Graphviz graph: one node per block (instance name, catalog and class), one
// edge per link from the output to the input, labelled with the datatype that flows along
// it. Before the patch starts, a pin that takes any datatype is labelled with the datatype
// its linked output will bring.
#include <string>

namespace vtxhost {

class CPatch;

std::string PatchGraphviz(CPatch& patch);

// The graph file the kernel switch ("kernel", "log_graphviz") writes when the patch
// starts: the patch name with every character other than letters, digits, '-' and '_'
// replaced by '_', followed by ".dot", in the current folder.
std::string GraphvizFileName(const std::string& patchName);

} // namespace vtxhost
