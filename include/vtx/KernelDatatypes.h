#pragma once
// The datatypes of the host's "kernel" catalog, by the interface a block converts them to.
// Class identities: ("kernel", "double"), "int", "bool", "string", "trigger",
// "labeled_set", "generic_datatype", "scalar_arith_op_double", "string_pair".
#include <cstdint>

#include "vtx/Datatype.h"

namespace Vtx {

// "double": one double-precision number; text form the shortest decimal that reads back
// to the same number ("1.5", "-0", "inf", "nan").
struct IDouble : IDatatype {
    virtual double GetValue() = 0;
    virtual void SetValue(double value) = 0;

protected:
    ~IDouble() = default;
};

// "int": one 32-bit signed integer; text form decimal.
struct IInt : IDatatype {
    virtual std::int32_t GetValue() = 0;
    virtual void SetValue(std::int32_t value) = 0;

protected:
    ~IInt() = default;
};

// "bool": text form "true" or "false" ("1" and "0" are read as well).
struct IBool : IDatatype {
    virtual bool GetValue() = 0;
    virtual void SetValue(bool value) = 0;

protected:
    ~IBool() = default;
};

// "string": a text; its text form is the text itself.
struct IString : IDatatype {
    // Zero-terminated; valid until the value changes.
    virtual const char* GetValue() = 0;
    // A null text is stored as the empty text.
    virtual void SetValue(const char* value) = 0;

protected:
    ~IString() = default;
};

// "trigger": an event without a value of its own. Each firing advances a count, so that a
// trigger given to a parameter always differs from the one the parameter holds.
struct ITrigger : IDatatype {
    virtual void Fire() = 0;
    virtual std::int64_t GetFireCount() = 0;

protected:
    ~ITrigger() = default;
};

// Init information of "labeled_set": the class identity of its elements.
struct ILabelledSetInitInfo : IDatatypeInitInfo {
    virtual void SetElementCatalogId(const char* catalogId) = 0;
    virtual const char* GetElementCatalogId() = 0;
    virtual void SetElementClassId(const char* classId) = 0;
    virtual const char* GetElementClassId() = 0;

protected:
    ~ILabelledSetInitInfo() = default;
};

// "labeled_set": an ordered list of (label, datatype) items. A set typed through its init
// information takes only elements of that class; an untyped set takes any. Labels need not
// be unique.
struct ILabelledSet : IDatatype {
    virtual void ClearItems() = 0;
    // Stores a copy of the value (value and time attributes) under the label; the caller
    // keeps its object. A value of another class than the set's element class throws a
    // logic exception.
    virtual void AddItem(IDatatype* value, const char* label) = 0;
    virtual std::int32_t GetItemCount() = 0;
    // The stored copy at index, no reference added; outside 0..count-1 throws a collection
    // exception.
    virtual IDatatype* GetItem(std::int32_t index) = 0;
    virtual const char* GetItemLabel(std::int32_t index) = 0;
    // The element class identity, or empty texts for an untyped set.
    virtual const char* GetElementCatalogId() = 0;
    virtual const char* GetElementClassId() = 0;

protected:
    ~ILabelledSet() = default;
};

// "generic_datatype": holds one datatype of any class, or nothing. Copying a datatype of
// another class into it makes it hold a copy of that datatype.
struct IGenericDatatype : IDatatype {
    // The held datatype, no reference added, or null.
    virtual IDatatype* GetContent() = 0;
    // Holds a copy of the value (null empties it).
    virtual void SetContent(IDatatype* value) = 0;

protected:
    ~IGenericDatatype() = default;
};

// "scalar_arith_op_double": an arithmetic operation with a double operand, such as "*2.5".
struct IScalarArithOpDouble : IDatatype {
    // One of '+', '-', '*', '/'; another character throws a logic exception.
    virtual void SetOperator(char op) = 0;
    virtual char GetOperator() = 0;
    virtual void SetOperand(double operand) = 0;
    virtual double GetOperand() = 0;
    // The operation applied to a value: value op operand.
    virtual double Apply(double value) = 0;

protected:
    ~IScalarArithOpDouble() = default;
};

// "string_pair": two texts.
struct IStringPair : IDatatype {
    virtual const char* GetFirst() = 0;
    virtual void SetFirst(const char* value) = 0;
    virtual const char* GetSecond() = 0;
    virtual void SetSecond(const char* value) = 0;

protected:
    ~IStringPair() = default;
};

} // namespace Vtx
