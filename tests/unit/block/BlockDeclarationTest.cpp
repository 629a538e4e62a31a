#include <string>
#include <vector>

#include "ProbeBlock.h"
#include "vtx/Domain.h"
#include "vtx/Layout.h"

using namespace blocktest;

namespace {

class BlockDeclaration : public BlockFixture {
protected:
    // A block that declares what the test gives it, signed by InitSignature.
    ProbeBlock* Declaring(std::function<void(ProbeBlock&)> declare) {
        ProbeBlock* block = MakeBlock();
        block->declare = std::move(declare);
        block->AsBlock()->InitInstance(nullptr, nullptr, 0);
        return block;
    }
};

TEST_F(BlockDeclaration, DescriptionFieldsAndTheirDefaultsReachTheHost) {
    IParameterPinSignature *plain = nullptr, *p = nullptr;
    ProbeBlock* block = Declaring([&](ProbeBlock& b) {
        plain = b.AddParameter(pin_description("plain").set_type("kernel", "int"));
        p = b.AddParameter(pin_description("rate")
                               .set_type("kernel", "double")
                               .set_creation_word(5)
                               .set_parameter_flag0(false)
                               .set_designtime_change(false)
                               .set_runtime_change(false)
                               .set_designtime_initinfo_change(false)
                               .set_runtime_initinfo_change(true)
                               .set_mode_word(9)
                               .set_layout_visible(true)
                               .add_value_changed([](IDatatype*, IDatatype*) {})
                               .add_value_changed([](IDatatype*, IDatatype*) {})
                               .add_value_changing([](IDatatype*, IDatatype*) { return true; }));
    });
    ASSERT_EQ(plain, block->GetSignature()->FindParameter("plain"));
    auto flags = [](IParameterPinSignature* q) {
        return std::vector<bool>{q->GetPersistent(), q->GetChangeableAtDesignTime(), q->GetChangeableAtRunTime(),
                                 q->GetInitInfoChangeableAtDesignTime(), q->GetInitInfoChangeableAtRunTime()};
    };
    EXPECT_EQ(flags(plain), (std::vector<bool>{true, true, true, true, false}));
    EXPECT_EQ(flags(p), (std::vector<bool>{false, false, false, false, true}));
    EXPECT_EQ(plain->GetModeWord() + plain->GetCreationWord(), 0u);
    EXPECT_EQ(p->GetModeWord() * 10 + p->GetCreationWord(), 95u);
    EXPECT_EQ(plain->GetDomain(), nullptr);
    EXPECT_STREQ(plain->GetDomainClassId(), "");
    EXPECT_EQ(block->GetLayout()->GetDatatypeLayout("plain"), nullptr);
    EXPECT_FALSE(block->GetLayout()->IsParameterShown("plain"));
    EXPECT_TRUE(block->GetLayout()->IsParameterShown("rate"));
    // Only the parameter with listeners has entries, one per listener.
    ASSERT_EQ(block->GetValueChangedListeners().size(), 1u);
    EXPECT_EQ(block->GetValueChangedListeners().at(p).size(), 2u);
    EXPECT_EQ(block->GetValueChangingListeners().at(p).size(), 1u);
}

TEST(PinDescription, ACopyOwnsItsAttachments) {
    pin_description original("x");
    original.set_int_minimum(0, true).add_combo_item("a");
    pin_description copy(original);
    copy.set_int_minimum(5, false).add_combo_item("b");
    EXPECT_EQ(original.get_int_domain()->minimum, 0);
    EXPECT_EQ(original.get_int_domain()->minimum_kind, bound_set_with_flag);
    EXPECT_EQ(original.get_combo_layout()->items.size(), 1u);
    EXPECT_EQ(copy.get_int_domain()->minimum, 5);
    EXPECT_EQ(copy.get_combo_layout()->items.size(), 2u);
    pin_description assigned("y");
    assigned = copy;
    EXPECT_EQ(assigned.id(), "x");
    EXPECT_NE(assigned.get_combo_layout(), copy.get_combo_layout());
    EXPECT_EQ(assigned.get_combo_layout()->items, copy.get_combo_layout()->items);
}

TEST_F(BlockDeclaration, BoundsReachTheDomainWithTheHostKinds) {
    ProbeBlock* block = Declaring([](ProbeBlock& b) {
        b.AddParameter(pin_description("max_only").attach_int_domain().set_int_maximum(10, true));
        b.AddParameter(pin_description("open_max").attach_int_domain().set_int_maximum(10, false));
        b.AddParameter(pin_description("range").attach_double_domain().set_double_minimum(-1.5, false).set_double_maximum(2.5, true));
        // Both domains: the integer bounds are the ones applied (attached last, so the
        // parameter's domain class is the integer one).
        b.AddParameter(pin_description("both").attach_double_domain().set_double_minimum(7.0, true).attach_int_domain().set_int_minimum(3, true));
    });
    // "minimum/kind maximum/kind"; host kinds: 0 unbounded, 1 inclusive, 2 exclusive.
    auto bounds = [&](const char* id) {
        IDatatypeDomain* domain = block->GetSignature()->FindParameter(id)->GetDomain();
        if (auto* d = dynamic_cast<IIntDomain*>(domain))
            return std::to_string(d->GetMinimum()) + "/" + std::to_string(d->GetMinimumKind()) + " " +
                   std::to_string(d->GetMaximum()) + "/" + std::to_string(d->GetMaximumKind());
        auto* d = interface_cast<IDoubleDomain>(domain);
        return std::to_string(d->GetMinimum()) + "/" + std::to_string(d->GetMinimumKind()) + " " +
               std::to_string(d->GetMaximum()) + "/" + std::to_string(d->GetMaximumKind());
    };
    EXPECT_EQ(bounds("max_only"), "0/0 10/1");
    EXPECT_EQ(bounds("open_max"), "0/0 10/2");
    EXPECT_EQ(bounds("range"), "-1.500000/2 2.500000/1");
    EXPECT_EQ(bounds("both"), "3/1 0/0");
    // The domain is in force: a maximum of 10 inclusive admits 10, not 11.
    IParameterPinSignature* p = block->GetSignature()->FindParameter("max_only");
    EXPECT_TRUE(block->AsBlock()->SetParameter(p, MakeInt(10)));
    EXPECT_FALSE(block->AsBlock()->SetParameter(p, MakeInt(11)));

    // Integer bounds with a double domain attached last: the host makes a double domain,
    // which they cannot be given to; the parameter stays, its domain unbounded.
    ProbeBlock* odd = MakeBlock();
    odd->declare = [](ProbeBlock& pb) {
        pb.AddParameter(pin_description("odd").attach_int_domain().set_int_minimum(0, true).attach_double_domain(false));
    };
    EXPECT_THROW(odd->AsBlock()->InitInstance(nullptr, nullptr, 0), ICastException);
    EXPECT_EQ(interface_cast<IDoubleDomain>(odd->GetSignature()->FindParameter("odd")->GetDomain())->GetMinimumKind(), 0);
}

TEST_F(BlockDeclaration, LayoutsAreCreatedAndFilledAndOnlyTheFirstAttachedCounts) {
    ProbeBlock* block = Declaring([](ProbeBlock& b) {
        b.AddParameter(pin_description("empty").set_type("kernel", "int").attach_combo_layout());
        b.AddParameter(pin_description("mode").set_type("kernel", "int").add_combo_item("fast").add_combo_item("slow").attach_foldername_layout(true));
        b.AddParameter(pin_description("file").set_type("kernel", "string").attach_filename_layout("*.wav", true, false, true));
        b.AddParameter(pin_description("dir").set_type("kernel", "string").attach_foldername_layout(true));
        b.AddParameter(pin_description("kind").set_type("kernel", "string").add_datatype_selector_item("kernel", "int").add_datatype_selector_item("Brennick2010", "Interval"));
    });
    EXPECT_EQ(block->GetParameterLayout<IComboDatatypeLayout>("empty")->GetSize(), 0);
    auto* mode = block->GetParameterLayout<IComboDatatypeLayout>("mode");
    ASSERT_EQ(mode->GetSize(), 2);
    EXPECT_STREQ(mode->GetItem(0), "fast");
    EXPECT_STREQ(mode->GetItem(1), "slow");
    EXPECT_THROW(block->GetParameterLayout<IFoldernameDatatypeLayout>("mode"), ICastException);
    auto* file = block->GetParameterLayout<IFilenameDatatypeLayout>("file");
    EXPECT_STREQ(file->GetFilter(), "*.wav");
    EXPECT_EQ((std::vector<bool>{file->GetMustExist(), file->GetForSaving(), file->GetMultipleSelection()}),
              (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(block->GetParameterLayout<IFoldernameDatatypeLayout>("dir")->GetMustExist());
    auto* kind = block->GetParameterLayout<IDatatypeSelectorComboLayout>("kind");
    ASSERT_EQ(kind->GetItemCount(), 2);
    EXPECT_STREQ(kind->GetItemCatalogId(1), "Brennick2010");
    EXPECT_STREQ(kind->GetItemClassId(1), "Interval");
    EXPECT_THROW(block->GetParameterLayout<IComboDatatypeLayout>("nothing"), ICastException);
}

TEST_F(BlockDeclaration, PinsCarryTheirFieldsAndRequiredInterfacesInOrder) {
    IInputPin* input = nullptr;
    ProbeBlock* block = Declaring([&](ProbeBlock& b) {
        input = b.AddInputPin(pin_description("input")
                                  .set_name("input")
                                  .set_description("Input")
                                  .attach_required_interfaces()
                                  .add_required_interface("kernel", "scalar_arith_op_double")
                                  .add_required_interface("kernel", "string_pair")
                                  .set_input_flag2(true));
        b.AddOutputPin(pin_description("output").set_type("kernel", "generic_datatype").set_output_text("tag").set_follows_input("input"));
        // Adding a required interface without attaching the list keeps the type.
        b.AddInputPin(pin_description("level").set_type("kernel", "int").add_required_interface("kernel", "string_pair").set_input_flags(false));
    });
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input, block->GetSignature()->FindInputPin("input"));
    EXPECT_STREQ(input->GetTypeClassId(), "generic_datatype");
    EXPECT_TRUE(input->GetInputFlag(0) && input->GetInputFlag(1) && input->GetInputFlag(2));
    IClassIdentityList* required = input->GetRequiredInterfaces();
    ASSERT_EQ(required->GetCount(), 2);
    EXPECT_STREQ(required->GetClassId(0), "scalar_arith_op_double");
    EXPECT_STREQ(required->GetClassId(1), "string_pair");
    IOutputPin* output = block->GetSignature()->FindOutputPin("output");
    EXPECT_STREQ(output->GetOutputTag(), "tag");
    EXPECT_STREQ(output->GetTypeSourcePinId(), "input");
    IInputPin* level = block->GetSignature()->FindInputPin("level");
    EXPECT_FALSE(level->GetInputFlag(0) || level->GetInputFlag(1) || level->GetInputFlag(2));
    EXPECT_STREQ(level->GetTypeClassId(), "int");
    EXPECT_EQ(level->GetRequiredInterfaces()->GetCount(), 1);
}

TEST_F(BlockDeclaration, ValueLookUpsConvertOrRaiseACastException) {
    ProbeBlock* block = Declaring([](ProbeBlock& b) {
        b.AddParameter(pin_description("gain").set_type("kernel", "int"));
        b.AddInputPin(pin_description("any").set_type("kernel", "generic_datatype"));
        b.AddInputPin(pin_description("level").set_type("kernel", "int"));
        b.AddOutputPin(pin_description("out").set_type("kernel", "double"));
    });
    EXPECT_NE(block->GetParameterValue<IInt>("gain"), nullptr);
    EXPECT_THROW(block->GetParameterValue<IDouble>("gain"), ICastException);
    EXPECT_THROW(block->GetParameterValue<IInt>("absent"), ICollectionException);
    EXPECT_NE(block->GetInputValue<IInt>("level"), nullptr);
    EXPECT_THROW(block->GetInputValue<IDatatype>("any"), ICastException); // no datatype yet
    EXPECT_EQ(block->GetOutputValue<IDouble>("out"), block->GetSignature()->FindOutputPin("out")->GetDatatype());
    EXPECT_THROW(block->GetOutputValue<IBool>("out"), ICastException);
}

TEST_F(BlockDeclaration, DoneInstanceClearsTheSignatureBeforeDoneSignature) {
    ProbeBlock* block = MakeBlock();
    int parametersSeen = -1;
    block->onDoneSignature = [&](ProbeBlock& b) { parametersSeen = b.GetSignature()->GetParameters()->GetCount(); };
    IBlock* b = block->AsBlock();
    b->InitInstance(nullptr, nullptr, 0);
    ASSERT_EQ(b->GetSignature()->GetParameters()->GetCount(), 1);
    b->DoneInstance();
    EXPECT_EQ(parametersSeen, 0);
    EXPECT_EQ(block->Calls("DoneSignature"), 1);
}

} // namespace
