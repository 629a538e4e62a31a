#pragma once
// The base of a catalog's datatypes: the serialisation defaults, the object base, the
// time attributes and the value exchange. A datatype overrides one or both forms, and
// InitInstance / DoneInstance / GetInitInfo when its configuration matters.
#include "sdk/datatype/DatatypeIdentity.h"
#include "sdk/datatype/SerializeImpl.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/ObjectImpl.h"
#include "sdk/object/SmartPtr.h"
#include "vtx/Datatype.h"
#include "vtx/ObjectClass.h"

namespace Vtx {

using DatatypePtr = CSmartPtr<IDatatype, CDatatypeFactory<IDatatype>>;

template <class I, class IClass = IDatatypeClass, class IInitInfo = IDatatypeInitInfo>
class CDatatypeImpl : public CSignedObjectImpl<CSerializeImpl<I>, IClass> {
public:
    using InitInfoInterface = IInitInfo;

    explicit CDatatypeImpl(const OBJECT_CREATIONCTX* context) : CSignedObjectImpl<CSerializeImpl<I>, IClass>(context) {}

    // The defaults keep no configuration, so the datatype reports no init information.
    void InitInstance(IDatatypeInitInfo*) override {}
    void DoneInstance() override {}
    IDatatypeInitInfo* GetInitInfo() override { return nullptr; }

    // Exchanges values through a fresh datatype of this class: only what CopyFrom copies
    // moves; the time attributes stay with their objects.
    void Swap(IDatatype* other) override {
        TranslateStdExceptions([this, other] {
            const DatatypeClassIdentity identity = ClassIdentityOf(this);
            if (!identity.IsComplete()) throw CLogicExceptionImpl();
            DatatypePtr fresh;
            fresh.Create(this->GetKernelServices(), identity.catalogId, identity.classId);
            if (!fresh) throw CLogicExceptionImpl();
            fresh->InitInstance(this->GetInitInfo());
            fresh->CopyFrom(other);
            other->CopyFrom(this);
            this->CopyFrom(fresh.get());
        });
    }

    DatatypeTime GetTimestamp() override { return timestamp_; }
    void SetTimestamp(DatatypeTime time) override { timestamp_ = time; }
    DatatypeTime GetTimeA() override { return timeA_; }
    void SetTimeA(DatatypeTime time) override { timeA_ = time; }
    DatatypeTime GetTimeB() override { return timeB_; }
    void SetTimeB(DatatypeTime time) override { timeB_ = time; }
    DatatypeTime GetTimeD() override { return timeD_; }
    void SetTimeD(DatatypeTime time) override { timeD_ = time; }
    DatatypeTime GetTimeC() override { return timeC_; }
    void SetTimeC(DatatypeTime time) override { timeC_ = time; }
    void SetTimeFactor(double factor) override { timeFactor_ = factor; }
    double GetTimeFactor() override { return timeFactor_; }

private:
    DatatypeTime timeA_ = kUnsetTime;
    DatatypeTime timestamp_ = kUnsetTime;
    DatatypeTime timeB_ = kUnsetTime;
    DatatypeTime timeC_ = kUnsetTime;
    DatatypeTime timeD_ = 0;
    double timeFactor_ = 1.0;
};

} // namespace Vtx
