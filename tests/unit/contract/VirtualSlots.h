#pragma once
// Where an operation sits in its interface table, read from a pointer to virtual member as
// the Itanium C++ ABI represents it, and a check of a whole table against its contract: the
// operations in their contract order, each in the slot its place gives it.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <type_traits>
#include <vector>

namespace contract {

// Not a virtual operation (the pointer has no slot).
inline constexpr std::ptrdiff_t kNotVirtual = -1;

template <class M>
std::ptrdiff_t Slot(M member) {
    struct Representation {
        std::uintptr_t pointer;  // 1 + byte offset in the table, for a virtual operation
        std::ptrdiff_t adjustment;
    } r;
    static_assert(sizeof(M) == sizeof(Representation), "Itanium member pointers");
    std::memcpy(&r, &member, sizeof r);
    if ((r.pointer & 1u) == 0) return kNotVirtual;
    return static_cast<std::ptrdiff_t>((r.pointer - 1) / sizeof(void*));
}

struct Operation {
    const char* name;
    std::ptrdiff_t slot;  // where the table has it; unused for the destructor
    std::ptrdiff_t width;  // table entries taken
};

template <class M>
Operation Op(const char* name, M member) {
    return {name, Slot(member), 1};
}

// The virtual destructor: two entries (complete and deleting) in the Itanium ABI. No member
// pointer reaches it; it moves the operations after it on.
inline Operation Destructor() { return {"deleting destructor", kNotVirtual, 2}; }

// A class that adds one operation after all of I's: the slot of that operation is the size
// of I's table, so an operation appended to I is seen too.
template <class I>
struct EndProbe : I {
    virtual void EndOfTable() = 0;
};

template <class I>
Operation End() {
    return Op("(end of the table)", &EndProbe<I>::EndOfTable);
}

using Operations = std::vector<Operation>;

inline Operations operator+(Operations first, const Operations& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// Every operation of the table in its place, counted from slot 0; a failure names the
// interface and the operation.
inline void ExpectTable(const char* interface, const Operations& operations) {
    std::ptrdiff_t place = 0;
    for (const Operation& op : operations) {
        if (op.width == 1) {
            EXPECT_EQ(op.slot, place) << interface << "::" << op.name << " is in slot " << op.slot
                                      << "; the contract puts it in slot " << place;
        }
        place += op.width;
    }
}

// The interface tables of one object: the first at the object's own address, the others
// after it at increasing addresses, in the given order.
inline void ExpectTablesInOrder(const char* object, const void* address, std::initializer_list<const void*> tables) {
    const auto at = [](const void* p) { return reinterpret_cast<std::uintptr_t>(p); };
    std::uintptr_t previous = at(address);
    int index = 0;
    for (const void* table : tables) {
        if (index == 0)
            EXPECT_EQ(at(table), previous) << object << ": the first interface table is not at the object's address";
        else
            EXPECT_GT(at(table), previous) << object << ": interface table " << index << " is out of order";
        previous = at(table);
        ++index;
    }
}

// The function type of a member function pointer: result, parameters, const-ness and
// calling convention, whichever class declares it.
template <class M>
struct FunctionOf;
template <class C, class F>
struct FunctionOf<F C::*> {
    using type = F;
};
template <class M>
using FunctionOfT = typename FunctionOf<M>::type;
template <class C, class F>
using MemberPointer = F C::*;

}  // namespace contract

// One operation of interface I, by name.
#define VTX_OP(I, name) ::contract::Op(#name, &I::name)

// The operation I::name has the function type given (for example `const char*(int) const`):
// another result, parameter, const-ness or calling convention does not build, and the
// message names the interface and the operation.
#define VTX_TYPE(I, name, ...)                                                               \
    static_assert(std::is_same_v<::contract::FunctionOfT<decltype(&I::name)>, __VA_ARGS__>, \
                  #I "::" #name " does not have the contract's type " #__VA_ARGS__)
// The same for one of several operations of one name: the overload of that type must exist.
#define VTX_OVERLOAD_TYPE(I, name, ...) \
    static_assert(sizeof(static_cast<::contract::MemberPointer<I, __VA_ARGS__>>(&I::name)) != 0, \
                  #I "::" #name ": " #__VA_ARGS__)
