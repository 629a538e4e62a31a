#include "host/patch/PatchGraph.h"

#include <cctype>
#include <map>

#include "host/kernel/KernelDatatypeBase.h"
#include "host/patch/Patch.h"
#include "vtx/BlockSignature.h"
#include "vtx/ObjectClass.h"
#include "vtx/Pin.h"

namespace vtxhost {

namespace {

std::string Text(const char* text) { return text ? text : ""; }

// A DOT string literal: quotes and backslashes escaped, line breaks as \n, other control
// characters dropped (DOT has no escape for them).
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (static_cast<unsigned char>(c) >= 0x20) {
            out += c;
        }
    }
    return out + "\"";
}

bool IsAnyDatatype(const std::string& catalogId, const std::string& classId) {
    return catalogId == "kernel" && classId == "generic_datatype";
}

// The datatype that leaves the output: its datatype object's class when it has one; for an
// output that takes the datatype of one of its block's inputs, what reaches that input;
// otherwise its declared type. depth bounds the walk back along the links.
std::string OutputDatatype(Vtx::IOutputPin* output, int depth) {
    if (Vtx::IDatatype* datatype = output->GetDatatype()) {
        const std::string classId = ClassIdOf(datatype);
        if (!classId.empty() && !IsAnyDatatype(CatalogIdOf(datatype), classId))
            return CatalogIdOf(datatype) + "/" + classId;
    }
    const std::string catalogId = Text(output->GetTypeCatalogId()), classId = Text(output->GetTypeClassId());
    const std::string source = Text(output->GetTypeSourcePinId());
    if (IsAnyDatatype(catalogId, classId) && !source.empty() && depth > 0) {
        Vtx::IBlockSignature* signature = output->GetBlock() ? output->GetBlock()->GetSignature() : nullptr;
        Vtx::IInputPin* input = signature ? signature->FindInputPin(source.c_str()) : nullptr;
        auto* linked = input ? dynamic_cast<Vtx::IOutputPin*>(input->GetLinkedOutput()) : nullptr;
        if (linked) return OutputDatatype(linked, depth - 1);
    }
    return catalogId + "/" + classId;
}

std::pair<std::string, std::string> ClassOf(Vtx::IBlock* block) {
    Vtx::IObjectClass* blockClass = block->GetObjectClass();
    Vtx::IObjectClass* catalog = blockClass ? blockClass->GetCatalog() : nullptr;
    return {catalog ? Text(catalog->GetClassId()) : "", blockClass ? Text(blockClass->GetClassId()) : ""};
}

} // namespace

std::string PatchGraphviz(CPatch& patch) {
    const std::vector<std::string> names = patch.BlockNames();
    std::map<Vtx::IBlock*, std::size_t> index;
    for (std::size_t i = 0; i < names.size(); ++i) index[patch.FindBlock(names[i])] = i;

    std::string dot = "digraph " + Quoted(patch.GetName()) + " {\n";
    dot += "  rankdir=LR;\n  node [shape=box, fontname=\"Helvetica\"];\n  edge [fontname=\"Helvetica\", fontsize=10];\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto identity = ClassOf(patch.FindBlock(names[i]));
        dot += "  b" + std::to_string(i) + " [label=" + Quoted(names[i] + "\n" + identity.first + " / " + identity.second) +
               "];\n";
    }
    const int depth = static_cast<int>(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        Vtx::IBlockSignature* signature = patch.FindBlock(names[i])->GetSignature();
        if (!signature) continue;
        auto* inputs = signature->GetInputPins();
        for (std::int32_t k = 0; k < inputs->GetCount(); ++k) {
            Vtx::IInputPin* input = inputs->GetAt(k);
            auto* output = dynamic_cast<Vtx::IOutputPin*>(input->GetLinkedOutput());
            if (!output) continue;
            auto from = index.find(output->GetBlock());
            if (from == index.end()) continue;
            dot += "  b" + std::to_string(from->second) + " -> b" + std::to_string(i) +
                   " [label=" + Quoted(OutputDatatype(output, depth)) + ", taillabel=" + Quoted(Text(output->GetId())) +
                   ", headlabel=" + Quoted(Text(input->GetId())) + "];\n";
        }
    }
    return dot + "}\n";
}

std::string GraphvizFileName(const std::string& patchName) {
    std::string name = patchName.empty() ? "patch" : patchName;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
    return name + ".dot";
}

} // namespace vtxhost
