#include "host/patch/PatchGraph.h"

#include <cctype>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

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

// The output's own answer, when it has one: its datatype object's class, or its declared
// type unless that is the generic datatype taken from one of its block's inputs.
bool OwnDatatype(Vtx::IOutputPin* output, std::string& type, Vtx::IOutputPin*& from) {
    from = nullptr;
    if (Vtx::IDatatype* datatype = output->GetDatatype()) {
        const std::string classId = ClassIdOf(datatype);
        if (!classId.empty() && !IsAnyDatatype(CatalogIdOf(datatype), classId)) {
            type = CatalogIdOf(datatype) + "/" + classId;
            return true;
        }
    }
    const std::string catalogId = Text(output->GetTypeCatalogId()), classId = Text(output->GetTypeClassId());
    type = catalogId + "/" + classId;
    const std::string source = Text(output->GetTypeSourcePinId());
    if (!IsAnyDatatype(catalogId, classId) || source.empty()) return true;
    Vtx::IBlockSignature* signature = output->GetBlock() ? output->GetBlock()->GetSignature() : nullptr;
    Vtx::IInputPin* input = signature ? signature->FindInputPin(source.c_str()) : nullptr;
    from = input ? dynamic_cast<Vtx::IOutputPin*>(input->GetLinkedOutput()) : nullptr;
    return from == nullptr;
}

// The datatype that leaves each output: its datatype object's class when it has one; for
// an output that takes the datatype of one of its block's inputs, what reaches that input;
// otherwise its declared type. The walk back along the links is a loop, and every output
// it passes is remembered, so a chain is walked once however many edges it feeds.
class OutputTypes {
public:
    const std::string& Of(Vtx::IOutputPin* start) {
        if (auto known = types_.find(start); known != types_.end()) return known->second;
        std::vector<Vtx::IOutputPin*> path;
        std::unordered_set<Vtx::IOutputPin*> onPath;
        std::string type;
        for (Vtx::IOutputPin* output = start; output;) {
            if (auto known = types_.find(output); known != types_.end()) {
                type = known->second;
                break;
            }
            Vtx::IOutputPin* from = nullptr;
            const bool own = OwnDatatype(output, type, from);
            path.push_back(output);
            onPath.insert(output);
            // A loop back onto the walk (links never form one in a patch) ends at the
            // declared type.
            if (own || onPath.count(from)) break;
            output = from;
        }
        for (Vtx::IOutputPin* output : path) types_.emplace(output, type);
        return types_.at(start);
    }

private:
    std::unordered_map<Vtx::IOutputPin*, std::string> types_;
};

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
    OutputTypes types;
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
                   " [label=" + Quoted(types.Of(output)) + ", taillabel=" + Quoted(Text(output->GetId())) +
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
