#include <string>
#include <vector>

#include "ProbeBlock.h"
#include "platform/Gdi.h"

using namespace blocktest;

namespace {

// A layout action as the patch editor sends it.
struct LayoutAction : IBlockLayoutActionCommand {
    explicit LayoutAction(std::int32_t a) : action(a) {}
    std::int32_t GetCommandKind() override { return kind; }
    std::int32_t GetAction() override { return action; }
    void* GetValue() override { return value; }
    void SetValue(void* v) override {
        value = v;
        ++valueWrites;
    }
    void SetSize(const BlockSize& s) override {
        size = s;
        sizeGiven = true;
    }
    std::uintptr_t GetWord() override { return 11; }
    BlockRect GetFirstRectangle() override { return {1, 2, 3, 4}; }
    BlockRect GetSecondRectangle() override { return {5, 6, 7, 8}; }
    std::uintptr_t GetExtraWord() override { return 99; }

    std::int32_t kind = kCommandBlockLayoutAction;
    std::int32_t action;
    void* value = nullptr;
    int valueWrites = 0;
    BlockSize size{-1, -1};
    bool sizeGiven = false;
};

// A block whose drawing family records each call.
class DrawingBlock : public ProbeBlock {
public:
    using ProbeBlock::ProbeBlock;
    std::vector<std::string> trail;
    std::vector<std::uintptr_t> areaArguments;
    int window = 0;

protected:
    bool DoGetOptionFlag1() override { return Note("1"), true; }
    bool DoHasOwnerDrawnArea() override { return Note("2"), true; }
    bool DoGetOptionFlag3() override { return Note("3"), true; }
    void* DoCreateOwnerDrawnWindow(void* parent) override { return Note("4"), parent ? &window : nullptr; }
    void DoDestroyOwnerDrawnWindow() override { Note("5"); }
    bool DoGetOptionFlag4() override { return Note("6"), true; }
    bool DoGetOptionFlag5() override { return Note("7"), true; }
    void* DoCreatePropertyWindow(void*) override { return Note("8"), &window; }
    void DoDestroyPropertyWindow() override { Note("9"); }
    bool DoGetOptionFlag6() override { return Note("10"), true; }
    void DoGetOwnerDrawnSize(BlockSize* size) override {
        Note("12");
        *size = BlockSize{30, 40};
    }
    bool DoBackgroundChanged(void* value) override { return Note("18"), value != nullptr; }
    void DoAreasChanged(std::uintptr_t word, std::int32_t r1, std::int32_t r2, std::int32_t r3, std::int32_t r4,
                        std::int32_t r5, std::int32_t r6, std::int32_t r7, std::int32_t r8,
                        std::uintptr_t extra) override {
        Note("19");
        areaArguments = {word, std::uintptr_t(r1), std::uintptr_t(r2), std::uintptr_t(r3), std::uintptr_t(r4),
                         std::uintptr_t(r5), std::uintptr_t(r6), std::uintptr_t(r7), std::uintptr_t(r8), extra};
    }
    void DoReleaseDrawingResources() override {
        Note("21");
        ProbeBlock::DoReleaseDrawingResources();
    }

private:
    void Note(const char* n) { trail.push_back(n); }
};

class BlockCommand : public BlockFixture {
protected:
    DrawingBlock* MakeDrawingBlock() {
        OBJECT_CREATIONCTX context{77, 1033, nullptr, &services};
        drawing_ = new DrawingBlock(&context);
        drawing_->AddRef();
        return drawing_;
    }
    ~BlockCommand() override {
        if (drawing_) drawing_->Release();
    }
    bool Run(IBlock* block, LayoutAction& action) { return block->ExecuteCommand(&action); }

private:
    DrawingBlock* drawing_ = nullptr;
};

TEST_F(BlockCommand, EachLayoutActionReachesItsDrawingOperation) {
    DrawingBlock* block = MakeDrawingBlock();
    IBlock* b = block;
    const std::vector<std::pair<int, std::string>> plain = {{0, "2"}, {1, "3"}, {3, "5"},  {4, "6"}, {5, "7"},
                                                            {6, "1"}, {8, "9"}, {9, "10"}, {14, "21"}};
    for (const auto& [action, operation] : plain) {
        block->trail.clear();
        LayoutAction command(action);
        EXPECT_TRUE(Run(b, command)) << action;
        EXPECT_EQ(block->trail, std::vector<std::string>{operation}) << action;
    }
    // 2 and 7 store the result back and answer whether there is one now.
    int parent = 0;
    LayoutAction create(2);
    create.value = &parent;
    EXPECT_TRUE(Run(b, create));
    EXPECT_EQ(create.value, &block->window);
    LayoutAction createNone(2);
    EXPECT_FALSE(Run(b, createNone));
    EXPECT_EQ(createNone.valueWrites, 1);
    LayoutAction property(7);
    EXPECT_TRUE(Run(b, property));
    EXPECT_EQ(property.value, &block->window);
    // 10 hands the size to the command.
    LayoutAction size(10);
    EXPECT_TRUE(Run(b, size));
    EXPECT_TRUE(size.sizeGiven);
    EXPECT_EQ(size.size.cx, 30);
    EXPECT_EQ(size.size.cy, 40);
    // 12 passes the value and answers the operation's result.
    LayoutAction background(12);
    EXPECT_FALSE(Run(b, background));
    background.value = &parent;
    EXPECT_TRUE(Run(b, background));
    // 13: word, second rectangle, first rectangle, extra word.
    LayoutAction areas(13);
    EXPECT_TRUE(Run(b, areas));
    EXPECT_EQ(block->areaArguments, (std::vector<std::uintptr_t>{11, 5, 6, 7, 8, 1, 2, 3, 4, 99}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(BlockCommand, UnknownActionsCallNothingAndBaseDefaultsFailAsKindTwoMessages) {
    DrawingBlock* drawing = MakeDrawingBlock();
    for (int action : {11, 15, -1, 1000}) {
        LayoutAction command(action);
        EXPECT_FALSE(drawing->ExecuteCommand(&command)) << action;
    }
    LayoutAction otherKind(0);
    otherKind.kind = 3;
    EXPECT_FALSE(drawing->ExecuteCommand(&otherKind));
    EXPECT_FALSE(drawing->ExecuteCommand(nullptr));
    EXPECT_TRUE(drawing->trail.empty());
    EXPECT_TRUE(Messages().empty());

    ProbeBlock* block = MakeBlock();
    LayoutAction create(2);
    EXPECT_FALSE(block->AsBlock()->ExecuteCommand(&create));
    // A layout action that claims to set a parameter is not a parameter command.
    LayoutAction wrong(0);
    wrong.kind = kCommandSetParameter;
    EXPECT_FALSE(block->AsBlock()->ExecuteCommand(&wrong));
    EXPECT_EQ(Sent(), (std::vector<std::string>{"2 Method has not been overriden inderived classes.\n",
                                                "2 Invalid type cast.\n"}));
    EXPECT_EQ(Messages()[0].source, static_cast<IEventSource*>(block->AsBlock()));
    // The base defaults of the plain actions.
    LayoutAction flag1(6), owner(0), flag7check(9);
    EXPECT_TRUE(block->AsBlock()->ExecuteCommand(&flag1));
    EXPECT_FALSE(block->AsBlock()->ExecuteCommand(&owner));
    EXPECT_FALSE(block->AsBlock()->ExecuteCommand(&flag7check));
}

// Paints into a pixel buffer and reads the colours back.
TEST_F(BlockCommand, DrawNCAreasFillsEachAreaWithTheBackgroundColour) {
    ProbeBlock* block = MakeBlock();
    IBlock* b = block->AsBlock();
    platform::HDC dc = platform::CreatePixelDC(10, 8);
    block->SetBackgroundColour(1.0, 0.5, 0.25); // 255, 127 (127.5 truncated), 63 (63.75)
    const BlockRect areas[] = {{1, 1, 3, 2}, {6, 4, 2, 3}};
    b->PaintNCAreas(dc, areas, 2, 0);
    const platform::COLORREF expected = 255 + 127 * 256 + 63 * 65536;
    int painted = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = (x >= 1 && x < 4 && y >= 1 && y < 3) || (x >= 6 && x < 8 && y >= 4 && y < 7);
            EXPECT_EQ(platform::GetPixel(dc, x, y), inside ? expected : 0u) << x << "," << y;
            painted += inside;
        }
    EXPECT_EQ(painted, 12);

    // The brush is kept until the background changes; then the next paint makes a new one.
    platform::HBRUSH first = block->GetBrush();
    b->PaintNCAreas(dc, areas, 1, 0);
    EXPECT_EQ(block->GetBrush(), first);
    EXPECT_TRUE(b->OnBackgroundChanged(nullptr));
    block->SetBackgroundColour(0.0, 0.0, 1.0);
    const std::size_t objects = platform::GetGdiObjectCount();
    b->PaintNCAreas(dc, areas, 1, 0);
    EXPECT_EQ(platform::GetGdiObjectCount(), objects); // the old brush went
    EXPECT_EQ(platform::GetPixel(dc, 1, 1), 255u * 65536u);
    EXPECT_EQ(platform::GetPixel(dc, 6, 4), expected); // the second area was not asked for
    platform::DeleteDC(dc);
}

TEST_F(BlockCommand, BrushIsMadeEvenForNoAreasAndActionFourteenReleasesIt) {
    ProbeBlock* block = MakeBlock();
    IBlock* b = block->AsBlock();
    EXPECT_EQ(block->GetBrush(), nullptr);
    b->PaintNCAreas(nullptr, nullptr, 0, 0);
    EXPECT_NE(block->GetBrush(), nullptr);
    const std::size_t objects = platform::GetGdiObjectCount();
    LayoutAction release(14);
    EXPECT_TRUE(b->ExecuteCommand(&release));
    EXPECT_EQ(block->GetBrush(), nullptr);
    EXPECT_EQ(platform::GetGdiObjectCount(), objects - 1);
    EXPECT_TRUE(b->ReleaseDrawingResources()); // no brush: still true
}

TEST_F(BlockCommand, DrawingFailuresThrowTheirMessages) {
    ProbeBlock* block = MakeBlock();
    IBlock* b = block->AsBlock();
    const BlockRect area{0, 0, 1, 1};
    try {
        b->PaintNCAreas(nullptr, &area, 1, 0);
        ADD_FAILURE() << "nothing thrown";
    } catch (ILogicException& e) {
        EXPECT_STREQ(e.GetMessageText(), "CBlockImplBase<T>::DrawNCAreas -- FillRect failed\n");
    }
    b->ReleaseDrawingResources();
    const std::size_t saved = platform::GetGdiObjectQuota();
    platform::SetGdiObjectQuota(platform::GetGdiObjectCount());
    try {
        b->PaintNCAreas(nullptr, nullptr, 0, 0);
        ADD_FAILURE() << "nothing thrown";
    } catch (ILogicException& e) {
        EXPECT_STREQ(e.GetMessageText(), "CBlockImplBase<T>::DrawNCAreas -- failed to create solid brush\n");
    }
    platform::SetGdiObjectQuota(saved);
    EXPECT_EQ(block->GetBrush(), nullptr);
}

TEST(BlockColour, ChannelsAreScaledTruncatedAndCutToEightBits) {
    EXPECT_EQ(ColourChannel(0.0), 0);
    EXPECT_EQ(ColourChannel(1.0), 255);
    EXPECT_EQ(ColourChannel(0.999), 254);
    EXPECT_EQ(ColourChannel(2.0), 254);    // 510 -> low 8 bits
    EXPECT_EQ(ColourChannel(-0.5), 129);   // -127 -> low 8 bits
    EXPECT_EQ(ColourChannel(1e300), 0);    // a multiple of 256 far beyond any integer type
    EXPECT_EQ(ColourChannel(std::nan("")), 0);
}

} // namespace
