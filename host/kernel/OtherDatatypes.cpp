#include "host/kernel/OtherDatatypes.h"

#include "host/kernel/JsonText.h"
#include "host/kernel/NumberTexts.h"

namespace vtxhost {

using nlohmann::json;

// ---- generic datatype ------------------------------------------------------------------

CGenericDatatypeImpl::~CGenericDatatypeImpl() {
    if (content_) content_->Release();
}

void CGenericDatatypeImpl::SetContent(Vtx::IDatatype* value) {
    Vtx::TranslateStdExceptions([&] {
        if (!value) {
            if (content_) content_->Release();
            content_ = nullptr;
            return;
        }
        if (value == content_) return;
        const std::string catalogId = CatalogIdOf(value);
        const std::string classId = ClassIdOf(value);
        if (classId.empty()) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kNullDatatypeClass);
        Vtx::IDatatype* copy = GetKernelServices()->CreateDatatype(catalogId.c_str(), classId.c_str());
        if (!copy)
            throw Vtx::CLogicExceptionImpl("The datatype \"%s\" of catalog \"%s\" cannot be created.\n",
                                           classId.c_str(), catalogId.c_str());
        copy->AddRef();
        try {
            copy->InitInstance(value->GetInitInfo());
            CopyValueAndTime(copy, value);
        } catch (...) {
            copy->Release();
            throw;
        }
        if (content_) content_->Release();
        content_ = copy;
    });
}

void CGenericDatatypeImpl::CopyFrom(Vtx::ISerialize* source) {
    if (!source) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kNullSerializable);
    if (dynamic_cast<Vtx::IGenericDatatype*>(source)) {
        CKernelDatatypeImpl::CopyFrom(source);
        return;
    }
    auto* datatype = dynamic_cast<Vtx::IDatatype*>(source);
    if (!datatype) throw Vtx::CCastExceptionImpl();
    SetContent(datatype);
}

std::string CGenericDatatypeImpl::WriteBinary() {
    std::string out;
    if (!content_) return out;
    PutText(out, CatalogIdOf(content_));
    PutText(out, ClassIdOf(content_));
    Vtx::ProducedBinary binary(content_);
    PutText(out, PayloadOf(binary.get()));
    return out;
}

bool CGenericDatatypeImpl::ReadBinary(const std::string& payload) {
    if (payload.empty()) {
        SetContent(nullptr);
        return true;
    }
    PayloadReader reader(payload);
    std::string catalogId, classId, content;
    if (!reader.Text(catalogId) || !reader.Text(classId) || !reader.Text(content) || !reader.AtEnd()) return false;
    return ReadContent(catalogId, classId, [&content](Vtx::IDatatype* value) {
        Vtx::SerializeBuffer* buffer = MakeSerializeBuffer(content);
        try {
            const bool ok = value->UnserializeBinary(buffer);
            std::free(buffer);
            return ok;
        } catch (...) {
            std::free(buffer);
            throw;
        }
    });
}

std::string CGenericDatatypeImpl::WriteText() {
    if (!content_) return "{}";
    Vtx::ProducedText text(content_);
    return json{{"catalog", CatalogIdOf(content_)}, {"class", ClassIdOf(content_)}, {"value", text ? text.get() : ""}}
        .dump();
}

bool CGenericDatatypeImpl::ReadText(const std::string& text) {
    json parsed = ParseJson(text);
    if (!parsed.is_object()) return false;
    if (parsed.empty()) {
        SetContent(nullptr);
        return true;
    }
    if (!parsed.contains("catalog") || !parsed.contains("class") || !parsed.contains("value") ||
        !parsed["catalog"].is_string() || !parsed["class"].is_string() || !parsed["value"].is_string())
        return false;
    const std::string catalogId = parsed["catalog"].get<std::string>();
    const std::string classId = parsed["class"].get<std::string>();
    const std::string valueText = parsed["value"].get<std::string>();
    return ReadContent(catalogId, classId,
                       [&valueText](Vtx::IDatatype* value) { return value->UnserializeString(valueText.c_str()); });
}

bool CGenericDatatypeImpl::ReadContent(const std::string& catalogId, const std::string& classId,
                                       const std::function<bool(Vtx::IDatatype*)>& read) {
    Vtx::IDatatype* value = GetKernelServices()->CreateDatatype(catalogId.c_str(), classId.c_str());
    if (!value) return false;
    value->AddRef();
    bool ok = false;
    try {
        ok = read(value);
    } catch (...) {
        value->Release();
        throw;
    }
    if (ok) {
        if (content_) content_->Release();
        content_ = value;
    } else {
        value->Release();
    }
    return ok;
}

// ---- scalar arithmetic operation -------------------------------------------------------

namespace {
bool IsOperator(char op) { return op == '+' || op == '-' || op == '*' || op == '/'; }
} // namespace

void CScalarArithOpDoubleImpl::SetOperator(char op) {
    if (!IsOperator(op)) throw Vtx::CLogicExceptionImpl("Unknown arithmetic operator '%c'.\n", op);
    operator_ = op;
}

double CScalarArithOpDoubleImpl::Apply(double value) {
    switch (operator_) {
    case '-': return value - operand_;
    case '*': return value * operand_;
    case '/': return value / operand_;
    default: return value + operand_;
    }
}

bool CScalarArithOpDoubleImpl::CopySameClass(Vtx::ISerialize* source) {
    CScalarArithOpDoubleImpl* same = OfSameClass<CScalarArithOpDoubleImpl>(source);
    if (same) {
        operator_ = same->operator_;
        operand_ = same->operand_;
    }
    return same;
}

std::string CScalarArithOpDoubleImpl::WriteBinary() {
    std::string out(1, operator_);
    PutU64(out, BitsOf(operand_));
    return out;
}

bool CScalarArithOpDoubleImpl::ReadBinary(const std::string& payload) {
    if (payload.size() != 9 || !IsOperator(payload[0])) return false;
    // The operand follows the operator byte.
    const std::string operand = payload.substr(1);
    PayloadReader reader(operand);
    std::uint64_t bits = 0;
    if (!reader.U64(bits)) return false;
    operator_ = payload[0];
    operand_ = DoubleOf(bits);
    return true;
}

std::string CScalarArithOpDoubleImpl::WriteText() { return std::string(1, operator_) + FormatDouble(operand_); }

bool CScalarArithOpDoubleImpl::ReadText(const std::string& text) {
    if (text.size() < 2 || !IsOperator(text[0])) return false;
    double operand;
    if (!ParseDouble(text.substr(1), operand)) return false;
    operator_ = text[0];
    operand_ = operand;
    return true;
}
} // namespace vtxhost
