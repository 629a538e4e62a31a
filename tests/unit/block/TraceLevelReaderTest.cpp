// The wrappers' trace-level reader looks the integer interface up once per datum, yet reads
// the level at every call and refuses a datum that is not an integer.
#include <gtest/gtest.h>

#include "host/kernel/KernelServices.h"
#include "sdk/block/BlockReports.h"
#include "tests/unit/host/HeldObject.h"
#include "vtx/BlockSignature.h"
#include "vtx/Exception.h"
#include "vtx/KernelDatatypes.h"

using namespace Vtx;

namespace {

// A signature whose trace-level datum the test chooses; nothing else is used.
struct LevelOnlySignature : IBlockSignature {
    IDatatype* level = nullptr;
    IDatatype* GetTraceLevel() override { return level; }

    std::int32_t Destroy() override { return 0; }
    std::int32_t AddRef() override { return 1; }
    std::int32_t Release() override { return 1; }
    IBlock* GetBlock() override { return nullptr; }
    IInputPin* CreateInputPin(const char*, const char*, const char*, const char*, const char*, bool, bool,
                              bool) override {
        return nullptr;
    }
    IOutputPin* CreateOutputPin(const char*, const char*, const char*, const char*, const char*, const char*,
                                const char*) override {
        return nullptr;
    }
    IParameterPinSignature* CreateParameter(const char*, const char*, const char*, const char*, const char*,
                                            const char*, const char*, std::uint32_t) override {
        return nullptr;
    }
    IPinCollection<IInputPin>* GetInputPins() override { return nullptr; }
    IPinCollection<IOutputPin>* GetOutputPins() override { return nullptr; }
    IPinCollection<IParameterPinSignature>* GetParameters() override { return nullptr; }
    IInputPin* FindInputPin(const char*) override { return nullptr; }
    IOutputPin* FindOutputPin(const char*) override { return nullptr; }
    IParameterPinSignature* FindParameter(const char*) override { return nullptr; }
    IParameterPinSignature* RemoveParameter(const char*) override { return nullptr; }
    void Clear() override {}
};

TEST(TraceLevelReader, ReadsTheCurrentDatumEachTimeAndRefusesOneThatIsNotAnInteger) {
    vtxhost::CKernelServices kernel;
    auto first = NewDatatype<IInt>(kernel, "int");
    auto second = NewDatatype<IInt>(kernel, "int");
    auto notInteger = NewDatatype<IDouble>(kernel, "double");
    first->SetValue(3);
    second->SetValue(6);
    LevelOnlySignature signature;
    CTraceLevelReader reader;

    EXPECT_EQ(reader.Read(nullptr), 0);
    signature.level = first.get();
    EXPECT_EQ(reader.Read(&signature), 3);
    first->SetValue(4);
    EXPECT_EQ(reader.Read(&signature), 4);
    signature.level = second.get();
    EXPECT_EQ(reader.Read(&signature), 6);
    signature.level = notInteger.get();
    EXPECT_THROW(reader.Read(&signature), ICastException);
    signature.level = nullptr;
    EXPECT_THROW(reader.Read(&signature), ICastException);
    signature.level = first.get();
    EXPECT_EQ(reader.Read(&signature), 4);
}

} // namespace
