// The drop target as OLE calls it, with a data object built by hand, and its binding to real
// windows.
#include "drop_target.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "test_data_object.h"

namespace quorvel::ui {
namespace {

using namespace std::string_literals;
using testing::DropFilesBlock;
using testing::TestDataObject;
using testing::WideDropFilesBlock;
using Medium = TestDataObject::Medium;

constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
constexpr POINTL kPoint{10, 10};

DropTargetSettings AllOn() { return DropTargetSettings{true, true, true, true}; }

struct Raised {
  int event;
  std::string text;
  bool operator==(const Raised&) const = default;
};

void PrintTo(const Raised& r, std::ostream* out) { *out << "{" << r.event << ", \"" << r.text << "\"}"; }

class DropTargetTest : public ::testing::Test {
 protected:
  DropTargetTest() { Listen(); }

  // Records every event and whether the data object had all its media back by then.
  void Listen() {
    for (int event = 0; event < DropTarget::kEventCount; ++event) {
      target_.SetHandler(static_cast<DropTarget::Event>(event), [this, event](const char* text) {
        raised_.push_back(Raised{event, text});
        EXPECT_EQ(data_.handed_out(), data_.released()) << "a medium was still held while event " << event << " ran";
      });
    }
  }

  // One whole drag: enter, one move, drop. Returns Drop's answer; `effect` gets what Drop wrote.
  HRESULT Drag(DWORD keys, DWORD allowed, DWORD* effect) {
    DWORD entered = allowed;
    EXPECT_EQ(target_.Target()->DragEnter(&data_, keys, kPoint, &entered), S_OK);
    DWORD over = allowed;
    EXPECT_EQ(target_.Target()->DragOver(keys, kPoint, &over), S_OK);
    EXPECT_EQ(over, entered);
    *effect = allowed;
    return target_.Target()->Drop(&data_, keys, kPoint, effect);
  }

  std::vector<Raised> DropWithCopy() {
    DWORD effect = 0;
    EXPECT_EQ(Drag(0, kAll, &effect), E_FAIL);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    return raised_;
  }

  TestDataObject data_;
  DropTarget target_{AllOn()};
  std::vector<Raised> raised_;
};

// The effect rule: keys x allowed effects x whether the data offers an accepted format.
struct EffectCase {
  const char* name;
  bool offered;
  DWORD keys;
  DWORD allowed;
  DWORD effect;
};

class DropEffectTest : public DropTargetTest, public ::testing::WithParamInterface<EffectCase> {};

TEST_P(DropEffectTest, EnterOverAndDropShowTheRuleAndDropDeliversOnlyWithAnEffect) {
  const EffectCase& c = GetParam();
  if (c.offered) data_.Offer(CF_HDROP, DropFilesBlock({"C:\\a.exe"}));

  DWORD entered = c.allowed;
  ASSERT_EQ(target_.Target()->DragEnter(&data_, c.keys, kPoint, &entered), S_OK);
  EXPECT_EQ(entered, c.effect);
  DWORD over = c.allowed;
  ASSERT_EQ(target_.Target()->DragOver(c.keys, kPoint, &over), S_OK);
  EXPECT_EQ(over, c.effect);
  DWORD dropped = c.allowed;
  EXPECT_EQ(target_.Target()->Drop(&data_, c.keys, kPoint, &dropped), E_FAIL);
  EXPECT_EQ(dropped, c.effect);

  if (c.effect == DROPEFFECT_NONE) {
    EXPECT_TRUE(raised_.empty());
    EXPECT_TRUE(data_.fetched().empty()) << "nothing may be taken from a drop without an effect";
  } else {
    EXPECT_EQ(raised_, (std::vector<Raised>{{3, "C:\\a.exe"}}));
  }
  EXPECT_EQ(DropEffectFor(c.offered, c.keys, c.allowed), c.effect);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DropEffectTest,
    ::testing::Values(
        EffectCase{"NoKeyAllThree", true, 0, kAll, DROPEFFECT_COPY},
        EffectCase{"NoKeyMoveLink", true, 0, DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_MOVE},
        EffectCase{"NoKeyLinkOnly", true, 0, DROPEFFECT_LINK, DROPEFFECT_LINK},
        EffectCase{"NoKeyNothingAllowed", true, 0, DROPEFFECT_NONE, DROPEFFECT_NONE},
        EffectCase{"NoKeyScrollAndCopy", true, 0, DROPEFFECT_SCROLL | DROPEFFECT_COPY, DROPEFFECT_COPY},
        EffectCase{"CtrlCopyAllowed", true, MK_CONTROL, kAll, DROPEFFECT_COPY},
        EffectCase{"CtrlCopyNotAllowed", true, MK_CONTROL, DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_NONE},
        EffectCase{"ShiftMoveAllowed", true, MK_SHIFT, kAll, DROPEFFECT_MOVE},
        EffectCase{"ShiftMoveNotAllowed", true, MK_SHIFT, DROPEFFECT_COPY | DROPEFFECT_LINK, DROPEFFECT_NONE},
        EffectCase{"CtrlShift", true, MK_CONTROL | MK_SHIFT, kAll, DROPEFFECT_NONE},
        EffectCase{"CtrlShiftWithButton", true, MK_CONTROL | MK_SHIFT | MK_LBUTTON, kAll, DROPEFFECT_NONE},
        EffectCase{"AltDoesNotCount", true, MK_ALT, kAll, DROPEFFECT_COPY},
        EffectCase{"AltWithCtrl", true, MK_ALT | MK_CONTROL, DROPEFFECT_COPY | DROPEFFECT_LINK, DROPEFFECT_COPY},
        EffectCase{"ButtonsDoNotCount", true, MK_LBUTTON | MK_RBUTTON | MK_MBUTTON, DROPEFFECT_MOVE | DROPEFFECT_LINK,
                   DROPEFFECT_MOVE},
        EffectCase{"NotOffered", false, 0, kAll, DROPEFFECT_NONE},
        EffectCase{"NotOfferedCtrl", false, MK_CONTROL, DROPEFFECT_COPY, DROPEFFECT_NONE}),
    [](const ::testing::TestParamInfo<EffectCase>& row) { return std::string(row.param.name); });

// What one drop delivers, by what the data object offers.
struct DeliveryCase {
  const char* name;
  std::vector<std::pair<int, std::pair<std::string, Medium>>> offers;  // kind (event number), bytes, medium
  std::vector<Raised> raised;
};

std::pair<int, std::pair<std::string, Medium>> Offer(int kind, std::string bytes, Medium medium = Medium::HGlobal) {
  return {kind, {std::move(bytes), medium}};
}

const std::string kLong = "C:\\" + std::string(150, 'd') + "\\" + std::string(150, 'f') + ".exe";  // 308 bytes
// "C:\测试\程序.exe" in GBK
const std::string kGbkPath = "C:\\\xB2\xE2\xCA\xD4\\\xB3\xCC\xD0\xF2.exe";

class DropDeliveryTest : public DropTargetTest, public ::testing::WithParamInterface<DeliveryCase> {};

TEST_P(DropDeliveryTest, RaisesTheEventsInOrderAndReleasesEveryMedium) {
  for (const auto& [kind, offer] : GetParam().offers) {
    const UINT format = kind == 0 ? CF_TEXT : kind == 1 ? target_.HtmlFormat() : kind == 2 ? target_.UrlFormat() : CF_HDROP;
    data_.Offer(format, offer.first, offer.second);
  }
  EXPECT_EQ(DropWithCopy(), GetParam().raised);
  EXPECT_GT(data_.handed_out(), 0);
  EXPECT_EQ(data_.released(), data_.handed_out());
  EXPECT_EQ(data_.references(), 1) << "the data object must not be kept";
}

INSTANTIATE_TEST_SUITE_P(
    Table, DropDeliveryTest,
    ::testing::Values(
        DeliveryCase{"OneFileHasNoLineBreak", {Offer(3, DropFilesBlock({"C:\\dir\\a.exe"}))}, {{3, "C:\\dir\\a.exe"}}},
        DeliveryCase{"ThreeFilesEachEndInCrLf",
                     {Offer(3, DropFilesBlock({"C:\\b.exe", "C:\\a b\\c.dll", "D:\\z.exe"}))},
                     {{3, "C:\\b.exe\r\nC:\\a b\\c.dll\r\nD:\\z.exe\r\n"}}},
        DeliveryCase{"TwoFiles", {Offer(3, DropFilesBlock({"C:\\1", "C:\\2"}))}, {{3, "C:\\1\r\nC:\\2\r\n"}}},
        DeliveryCase{"NoFileGivesTheEmptyText", {Offer(3, DropFilesBlock({}))}, {{3, ""}}},
        // A list that does not close inside its block is not read at all.
        DeliveryCase{"AListNeverClosedGivesTheEmptyText",
                     {Offer(3, DropFilesBlock({"C:\\a.exe", "C:\\b.exe"}).substr(0, sizeof(DROPFILES) + 18))},
                     {{3, ""}}},
        DeliveryCase{"WidePathsInTheAnsiCodePage", {Offer(3, WideDropFilesBlock({L"C:\\a.exe", L"C:\\x\\b.dll"}))},
                     {{3, "C:\\a.exe\r\nC:\\x\\b.dll\r\n"}}},
        DeliveryCase{"AFolderLikeAFile", {Offer(3, DropFilesBlock({"C:\\windows\\system32"}))},
                     {{3, "C:\\windows\\system32"}}},
        DeliveryCase{"ALongPathIsNotCut", {Offer(3, DropFilesBlock({kLong, "C:\\x"}))}, {{3, kLong + "\r\nC:\\x\r\n"}}},
        DeliveryCase{"GbkPathAsItIs", {Offer(3, DropFilesBlock({kGbkPath}))}, {{3, kGbkPath}}},
        DeliveryCase{"TextUpToItsFirstNul", {Offer(0, "plain text\0rest\0"s)}, {{0, "plain text"}}},
        DeliveryCase{"HtmlSuppressesText",
                     {Offer(0, "plain\0"s), Offer(1, "<b>bold</b>\0"s)},
                     {{1, "<b>bold</b>"}}},
        DeliveryCase{"UrlUpToItsFirstNul", {Offer(2, "http://example.com/\0junk"s)}, {{2, "http://example.com/"}}},
        DeliveryCase{"EveryFormatInEventOrder",
                     {Offer(3, DropFilesBlock({"C:\\f.exe"})), Offer(2, "http://u/\0"s), Offer(1, "<i>h</i>\0"s),
                      Offer(0, "t\0"s)},
                     {{1, "<i>h</i>"}, {2, "http://u/"}, {3, "C:\\f.exe"}}},
        DeliveryCase{"TextUrlAndFiles",
                     {Offer(3, DropFilesBlock({"C:\\f.exe"})), Offer(2, "http://u/\0"s), Offer(0, "t\0"s)},
                     {{0, "t"}, {2, "http://u/"}, {3, "C:\\f.exe"}}},
        // Media that are not global memory are passed over, and the formats after them still tried.
        DeliveryCase{"StreamTextPassedOver", {Offer(0, "t\0"s, Medium::Stream), Offer(3, DropFilesBlock({"C:\\f"}))},
                     {{3, "C:\\f"}}},
        DeliveryCase{"StreamHtmlSuppressesNothing", {Offer(0, "t\0"s), Offer(1, "<p>\0"s, Medium::Stream)},
                     {{0, "t"}}},
        DeliveryCase{"StreamFilesPassedOver",
                     {Offer(2, "http://u/\0"s), Offer(3, DropFilesBlock({"C:\\f"}), Medium::Stream)},
                     {{2, "http://u/"}}}),
    [](const ::testing::TestParamInfo<DeliveryCase>& row) { return std::string(row.param.name); });

TEST_F(DropTargetTest, HtmlArrivesInTheAnsiCodePage) {
  // "<b>程序</b>" as UTF-8, the encoding of "HTML Format".
  data_.Offer(target_.HtmlFormat(), "<b>\xE7\xA8\x8B\xE5\xBA\x8F</b>\0"s);
  const wchar_t wide[] = L"<b>\x7A0B\x5E8F</b>";
  char ansi[64] = {};
  ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr), 0);
  EXPECT_EQ(DropWithCopy(), (std::vector<Raised>{{1, ansi}}));
  if (GetACP() == 936) {
    EXPECT_EQ(std::string(ansi), "<b>\xB3\xCC\xD0\xF2</b>");
  }
}

TEST_F(DropTargetTest, FormatsAreAskedInOrderUntilOneAnswers) {
  data_.Offer(target_.HtmlFormat(), "<p>\0"s);
  DWORD effect = kAll;
  ASSERT_EQ(target_.Target()->DragEnter(&data_, 0, kPoint, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));

  const std::vector<UINT> order{CF_TEXT, CF_HDROP, target_.UrlFormat(), target_.HtmlFormat()};
  ASSERT_EQ(data_.queried().size(), order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    const FORMATETC& asked = data_.queried()[i];
    EXPECT_EQ(asked.cfFormat, order[i]) << i;
    EXPECT_EQ(asked.ptd, nullptr);
    EXPECT_EQ(asked.dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
    EXPECT_EQ(asked.lindex, -1);
    EXPECT_EQ(asked.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  }

  // Text answers first, so nothing after it is asked.
  TestDataObject everything;
  everything.Offer(CF_TEXT, "t\0"s);
  everything.Offer(CF_HDROP, DropFilesBlock({"C:\\f"}));
  ASSERT_EQ(target_.Target()->DragEnter(&everything, 0, kPoint, &effect), S_OK);
  ASSERT_EQ(everything.queried().size(), 1u);
  EXPECT_EQ(everything.queried()[0].cfFormat, CF_TEXT);
}

TEST_F(DropTargetTest, FormatsWhoseSettingIsOffAreNeitherAskedNorDelivered) {
  DropTarget files_only(DropTargetSettings{false, false, false, true});
  std::vector<Raised> raised;
  for (int event = 0; event < DropTarget::kEventCount; ++event) {
    files_only.SetHandler(static_cast<DropTarget::Event>(event),
                          [&raised, event](const char* text) { raised.push_back(Raised{event, text}); });
  }
  data_.Offer(CF_TEXT, "t\0"s);
  data_.Offer(target_.UrlFormat(), "http://u/\0"s);
  data_.Offer(target_.HtmlFormat(), "<p>\0"s);
  DWORD effect = kAll;
  ASSERT_EQ(files_only.Target()->DragEnter(&data_, 0, kPoint, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << "only formats whose setting is on make a drag acceptable";
  ASSERT_EQ(data_.queried().size(), 1u);
  EXPECT_EQ(data_.queried()[0].cfFormat, CF_HDROP);

  data_.Offer(CF_HDROP, DropFilesBlock({"C:\\f"}));
  effect = kAll;
  ASSERT_EQ(files_only.Target()->DragEnter(&data_, 0, kPoint, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  effect = kAll;
  EXPECT_EQ(files_only.Target()->Drop(&data_, 0, kPoint, &effect), E_FAIL);
  EXPECT_EQ(raised, (std::vector<Raised>{{3, "C:\\f"}}));
  EXPECT_EQ(data_.fetched(), (std::vector<CLIPFORMAT>{CF_HDROP}));
}

TEST_F(DropTargetTest, DragLeaveEndsTheAcceptance) {
  data_.Offer(CF_HDROP, DropFilesBlock({"C:\\f"}));
  DWORD effect = kAll;
  ASSERT_EQ(target_.Target()->DragEnter(&data_, 0, kPoint, &effect), S_OK);
  ASSERT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(target_.Target()->DragLeave(), S_OK);
  effect = kAll;
  EXPECT_EQ(target_.Target()->DragOver(0, kPoint, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = kAll;
  EXPECT_EQ(target_.Target()->Drop(&data_, 0, kPoint, &effect), E_FAIL);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(raised_.empty());

  // A later drag with nothing acceptable is refused although the one before was accepted.
  TestDataObject nothing;
  effect = kAll;
  ASSERT_EQ(target_.Target()->DragEnter(&data_, 0, kPoint, &effect), S_OK);
  ASSERT_EQ(target_.Target()->DragEnter(&nothing, 0, kPoint, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST_F(DropTargetTest, EveryDropIsAnsweredWithFailureAndNeedsNoHandler) {
  DropTarget silent(AllOn());
  data_.Offer(CF_TEXT, "t\0"s);
  data_.Offer(CF_HDROP, DropFilesBlock({"C:\\f"}));
  for (const DWORD keys : {DWORD{0}, DWORD{MK_SHIFT}, DWORD{MK_CONTROL | MK_SHIFT}}) {
    DWORD effect = kAll;
    ASSERT_EQ(silent.Target()->DragEnter(&data_, keys, kPoint, &effect), S_OK);
    effect = kAll;
    EXPECT_EQ(silent.Target()->Drop(&data_, keys, kPoint, &effect), E_FAIL) << keys;
  }
  EXPECT_EQ(data_.released(), data_.handed_out());
}

TEST_F(DropTargetTest, ReferenceCountStartsAtOneAndADragLeavesItThere) {
  IDropTarget* object = target_.Target();
  EXPECT_EQ(object->AddRef(), 2u);
  EXPECT_EQ(object->Release(), 1u);

  void* unknown = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, &unknown), S_OK);
  EXPECT_EQ(unknown, static_cast<void*>(object));
  void* drop_target = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IDropTarget, &drop_target), S_OK);
  EXPECT_EQ(drop_target, static_cast<void*>(object));
  EXPECT_EQ(object->Release(), 2u);
  EXPECT_EQ(object->Release(), 1u);
  for (const IID& other : {IID_IDataObject, IID_IDropSource, IID_IMarshal, IID_IClassFactory}) {
    void* out = &unknown;
    EXPECT_EQ(object->QueryInterface(other, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
  }

  data_.Offer(CF_HDROP, DropFilesBlock({"C:\\f"}));
  (void)DropWithCopy();
  EXPECT_EQ(object->AddRef(), 2u);
  EXPECT_EQ(object->Release(), 1u);
}

// Binding to real windows needs OLE on this thread.
class DropTargetBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    for (HWND& window : windows_) {
      window = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
      ASSERT_NE(window, nullptr);
    }
  }
  void TearDown() override {
    for (HWND window : windows_) {
      (void)RevokeDragDrop(window);
      (void)DestroyWindow(window);
    }
    OleUninitialize();
  }

  // Whether OLE holds a registration for the window: a second registration is refused then.
  static bool Registered(HWND window) {
    DropTarget probe(AllOn());
    const HRESULT answer = RegisterDragDrop(window, probe.Target());
    if (answer == S_OK) (void)RevokeDragDrop(window);
    return answer == DRAGDROP_E_ALREADYREGISTERED;
  }

  static ULONG References(IDropTarget* object) {
    const ULONG count = object->AddRef();
    (void)object->Release();
    return count - 1;
  }

  HWND windows_[2] = {};
};

TEST_F(DropTargetBindingTest, RegisterBindsOneWindowAndRevokeEndsItWhateverHandleIsGiven) {
  DropTarget target(AllOn());
  EXPECT_FALSE(Registered(windows_[0]));
  EXPECT_TRUE(target.Register(windows_[0]));
  EXPECT_TRUE(Registered(windows_[0]));
  EXPECT_GT(References(target.Target()), 1u) << "a registration keeps a reference";

  // A second Register changes nothing, for the bound window and for another.
  EXPECT_FALSE(target.Register(windows_[0]));
  EXPECT_FALSE(target.Register(windows_[1]));
  EXPECT_EQ(target.BoundWindow(), windows_[0]);
  EXPECT_TRUE(Registered(windows_[0]));
  EXPECT_FALSE(Registered(windows_[1]));

  // The handle given to Revoke is not looked at.
  target.Revoke(windows_[1]);
  EXPECT_EQ(target.BoundWindow(), nullptr);
  EXPECT_FALSE(Registered(windows_[0]));
  EXPECT_EQ(References(target.Target()), 1u);

  target.Revoke(windows_[0]);  // nothing bound: nothing happens
  EXPECT_EQ(References(target.Target()), 1u);

  EXPECT_TRUE(target.Register(windows_[1]));
  EXPECT_TRUE(Registered(windows_[1]));
  target.Revoke(nullptr);
  EXPECT_FALSE(Registered(windows_[1]));
}

TEST_F(DropTargetBindingTest, AFailedRegistrationStaysRecordedUntilRevoke) {
  // Declared first so that it outlives every registration made for it below.
  DropTarget someone_else(AllOn());
  DropTarget target(AllOn());
  ASSERT_EQ(RegisterDragDrop(windows_[0], someone_else.Target()), S_OK);
  EXPECT_FALSE(target.Register(windows_[0]));
  EXPECT_EQ(target.BoundWindow(), windows_[0]);
  EXPECT_FALSE(target.Register(windows_[1])) << "a recorded window answers false without trying";
  EXPECT_FALSE(Registered(windows_[1]));
  EXPECT_EQ(References(target.Target()), 1u);

  target.Revoke(windows_[1]);  // undoes the attempt, that is: ends the window's registration
  EXPECT_EQ(target.BoundWindow(), nullptr);
  EXPECT_FALSE(Registered(windows_[0]));
  EXPECT_TRUE(target.Register(windows_[0]));
}

TEST_F(DropTargetBindingTest, RegisterFailsForAHandleThatIsNoWindow) {
  DropTarget target(AllOn());
  EXPECT_FALSE(target.Register(nullptr));
  target.Revoke(nullptr);
  EXPECT_TRUE(target.Register(windows_[0]));
}

TEST_F(DropTargetBindingTest, DestroyingTheComponentEndsItsBinding) {
  {
    DropTarget target(AllOn());
    ASSERT_TRUE(target.Register(windows_[0]));
  }
  EXPECT_FALSE(Registered(windows_[0]));
}

}  // namespace
}  // namespace quorvel::ui
