#include <gtest/gtest.h>

#include "sdk/block/PinDescription.h"

using namespace Vtx;

namespace {

TEST(PinDescription, ConstructedFromAnIdHasTheDocumentedDefaults) {
    const pin_description d("gain");
    EXPECT_EQ(d.id(), "gain");
    EXPECT_EQ(d.name(), "");
    EXPECT_EQ(d.description(), "");
    EXPECT_EQ(d.type_catalog(), "");
    EXPECT_EQ(d.type_class(), "");
    EXPECT_TRUE(d.input_flags());
    EXPECT_FALSE(d.input_flag2());
    EXPECT_EQ(d.domain_catalog(), "");
    EXPECT_EQ(d.domain_class(), "");
    EXPECT_EQ(d.output_text(), "");
    EXPECT_EQ(d.follows_input(), "");
    EXPECT_EQ(d.creation_word(), 0u);
    EXPECT_TRUE(d.parameter_flag0());
    EXPECT_TRUE(d.designtime_change());
    EXPECT_TRUE(d.runtime_change());
    EXPECT_TRUE(d.designtime_initinfo_change());
    EXPECT_FALSE(d.runtime_initinfo_change());
    EXPECT_FALSE(d.layout_visible());
    EXPECT_EQ(d.mode_word(), 0u);
    EXPECT_TRUE(d.value_changed_callbacks().empty());
    EXPECT_TRUE(d.value_changing_callbacks().empty());
    EXPECT_FALSE(d.get_combo_layout());
    EXPECT_FALSE(d.get_filename_layout());
    EXPECT_FALSE(d.get_foldername_layout());
    EXPECT_FALSE(d.get_int_domain());
    EXPECT_FALSE(d.get_double_domain());
    EXPECT_FALSE(d.get_required_interfaces());
    EXPECT_FALSE(d.get_datatype_selector_combo_layout());
}

TEST(PinDescription, InputFlagsAreSetTogetherAndReadTrueOnlyWhenBothAre) {
    pin_description d("in");
    d.set_input_flags(false);
    EXPECT_FALSE(d.input_flags());
    EXPECT_FALSE(d.input_flag0());
    EXPECT_FALSE(d.input_flag1());
    d.set_input_flags(true).set_input_flag2(true);
    EXPECT_TRUE(d.input_flags());
    EXPECT_TRUE(d.input_flag2());
}

TEST(PinDescription, AttachingADomainSetsTheDomainClassAndOnlyWithTheSwitchTheType) {
    pin_description on("a");
    on.attach_int_domain();
    EXPECT_EQ(on.domain_catalog(), "kernel");
    EXPECT_EQ(on.domain_class(), "int-domain");
    EXPECT_EQ(on.type_catalog(), "kernel");
    EXPECT_EQ(on.type_class(), "int");
    ASSERT_TRUE(on.get_int_domain());
    EXPECT_EQ(on.get_int_domain()->minimum_kind, bound_unset);
    EXPECT_EQ(on.get_int_domain()->maximum_kind, bound_unset);
    EXPECT_EQ(on.get_int_domain()->minimum, 0);

    pin_description off("b");
    off.set_type("mine", "counter").attach_int_domain(false);
    EXPECT_EQ(off.type_catalog(), "mine");
    EXPECT_EQ(off.type_class(), "counter");
    EXPECT_EQ(off.domain_class(), "int-domain");

    pin_description dbl("c");
    dbl.attach_double_domain();
    EXPECT_EQ(dbl.domain_class(), "double-domain");
    EXPECT_EQ(dbl.type_class(), "double");
    EXPECT_EQ(dbl.get_double_domain()->maximum, 0.0);

    pin_description req("d");
    req.set_type("x", "y").add_required_interface("kernel", "scalar_arith_op_double");
    EXPECT_EQ(req.type_class(), "y"); // the list attached by its add keeps the type
    req.attach_required_interfaces();
    EXPECT_EQ(req.type_catalog(), "kernel");
    EXPECT_EQ(req.type_class(), "generic_datatype");
    EXPECT_TRUE(req.get_required_interfaces()->items.empty()); // attaching starts a new list
}

TEST(PinDescription, BoundSettersStoreKindFromTheFlagAndMapToTheHostKinds) {
    pin_description d("n");
    d.set_int_maximum(9, false);
    ASSERT_TRUE(d.get_int_domain());
    EXPECT_EQ(d.type_class(), ""); // attached without the switch
    EXPECT_EQ(d.get_int_domain()->minimum_kind, bound_unset);
    EXPECT_EQ(d.get_int_domain()->maximum, 9);
    EXPECT_EQ(d.get_int_domain()->maximum_kind, bound_set_without_flag);
    d.set_int_minimum(-2, true);
    EXPECT_EQ(d.get_int_domain()->minimum, -2);
    EXPECT_EQ(d.get_int_domain()->minimum_kind, bound_set_with_flag);
    // Description kind 1 -> host 1 (inclusive), 0 -> 2 (exclusive), 2 -> 0 (unbounded).
    EXPECT_EQ(host_bound_kind(bound_set_with_flag), 1);
    EXPECT_EQ(host_bound_kind(bound_set_without_flag), 2);
    EXPECT_EQ(host_bound_kind(bound_unset), 0);
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

} // namespace
