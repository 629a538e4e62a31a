#pragma once
// LabelledSetIntervalGenerator: a source block that produces, on every periodic activation,
// a host labelled set of Interval values. The user chooses the number of items
// ("num_items"); each item i has a label ("label_i") and two bounds ("min_i", "max_i").
// Items with an empty label are left out of the set.
#include <string>
#include <vector>

#include "sdk/block/BlockImplBase.h"
#include "sdk/object/SmartPtr.h"
#include "vtx/Block.h"
#include "vtx/KernelDatatypes.h"

class CLabelledSetIntervalGenerator : public Vtx::CBlockImplBase<Vtx::IBlock> {
public:
    // Kernel time units (100 ns) between two activations: 40 ms.
    static constexpr std::int64_t kActivationPeriod = 400000;

    explicit CLabelledSetIntervalGenerator(const Vtx::OBJECT_CREATIONCTX* context);

protected:
    // Releases the item bindings, the item count value and the output set.
    ~CLabelledSetIntervalGenerator() override;

    // The output "output", the parameter "num_items" set to 1, and the parameters of item 0.
    void InitSignature() override;
    // Releases the item count value and the item bindings.
    void DoneSignature() override;
    // Binds "num_items" and every item of a stored signature; a missing pin or parameter
    // throws, and the base then builds the block's own signature instead.
    void CheckSignature() override;
    // A new "num_items": declares the parameters of every item below the new count (those
    // already there keep their values), removes those at and above it, binds the items and
    // tells the dispatcher that the signature changed.
    using CBlockImplBase::OnChangedParameter;
    void OnChangedParameter(const std::string& id) override;

    // Asks for periodic activation and types the output set's elements as Intervals. Any
    // failure (no labelled set on the output, no init information to type it) gives false.
    bool OnInit() override;
    bool OnStart() override { return true; }
    // Empties the output set, adds one Interval per labelled item in item order and stamps
    // the set with the kernel time. A failure (no Interval to be had, a set that refuses the
    // item) leaves the set unstamped and gives false, which the base reports.
    bool OnExecute() override;
    void OnStop() override {}
    // Releases the output set.
    void OnDone() override;

private:
    using IntPtr = Vtx::CSmartPtr<Vtx::IInt, Vtx::CDatatypeFactory<Vtx::IInt>>;
    using DoublePtr = Vtx::CSmartPtr<Vtx::IDouble, Vtx::CDatatypeFactory<Vtx::IDouble>>;
    using StringPtr = Vtx::CSmartPtr<Vtx::IString, Vtx::CDatatypeFactory<Vtx::IString>>;
    using LabelledSetPtr = Vtx::CSmartPtr<Vtx::ILabelledSet, Vtx::CDatatypeFactory<Vtx::ILabelledSet>>;

    // The current value objects of one item's three parameters.
    struct item_binding {
        StringPtr label;
        DoublePtr lower;
        DoublePtr upper;
    };

    // The item count as a size: a negative count (possible only in a stored signature, the
    // domain refuses it otherwise) counts as no item.
    std::size_t ItemCount();
    void DeclareItem(std::size_t index);
    void RemoveItem(std::size_t index);
    // One binding record per item, each holding the item's current value objects.
    void BindItems();

    LabelledSetPtr outputSet_;
    IntPtr itemCount_;
    std::vector<item_binding> items_;
    // Whether every binding of items_ holds its three values (BindItems keeps it).
    bool itemsBound_ = true;
};

// The creation function of the block class: a new block with count 0 (the caller takes
// the first reference), or null when the allocation fails; a bad creation context throws.
Vtx::IObject* CreateLabelledSetIntervalGeneratorObject(const Vtx::OBJECT_CREATIONCTX* context);
