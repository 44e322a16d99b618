// The program's handlers on the real main window, in the test process: what a click and a drop
// show, how often they probe, the drop target's binding, and what 1,000 answers leave behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "events.h"
#include "pe_fixtures.h"
#include "process_resources.h"
#include "temp_dir.h"
#include "texts.h"
#include "window_test_support.h"

namespace quorvel {
namespace {

using ui::MainWindow;
namespace entry = ui::entry;

// Every probe the handlers make goes through here, and then to the real probe: one call is one
// open of the file.
std::vector<std::string> probed;
std::function<void()> after_each_probe;
std::int32_t CountingProbe(const char* path) {
  probed.emplace_back(path != nullptr ? path : "");
  const std::int32_t answer = GetProgramBitness(path);
  if (after_each_probe) after_each_probe();
  return answer;
}

std::string TitleFor(const char* digits) { return std::string(ui::kTitlePrefix) + digits + ui::kSuffix; }
std::string CaptionFor(const char* digits) { return std::string(ui::kCaptionPrefix) + digits + ui::kSuffix; }

class ProgramWindow : public testing::MainWindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    probed.clear();
    after_each_probe = nullptr;
    LoadWindow(ui::events::ProgramDescription<&CountingProbe>());
  }
  void TearDown() override {
    after_each_probe = nullptr;
    MainWindowTest::TearDown();
    OleUninitialize();
  }

  // The dialog answers at once: with a confirmed path, or cancelled when the path is null.
  void AnswerDialogWith(const char* path) {
    window_->ChooserOf(entry::通用对话框1)->SetDialogFunction([path](OPENFILENAMEA& record) -> BOOL {
      if (path == nullptr) return FALSE;
      lstrcpynA(record.lpstrFile, path, static_cast<int>(record.nMaxFile));
      return TRUE;
    });
  }
  void Click() { SendMessageA(Control(entry::按钮1), BM_CLICK, 0, 0); }
  void Drop(const char* text) { window_->RaiseText(entry::拖放对象, 3, text); }

  std::string Title() const { return testing::TextOf(Main()); }
  std::string Caption() const { return testing::TextOf(Control(entry::透明标签1)); }
  std::string Content() const { return window_->ReadContent(); }

  testing::TempDir dir_;
};

struct Shown {
  const char* name;
  testing::Bytes bytes;
  const char* digits;
};

class Answers : public ProgramWindow, public ::testing::WithParamInterface<Shown> {};

// A click with a confirmed file and a drop of the same file show the same texts, and each
// opens the file exactly twice: once for the title, once for the caption.
TEST_P(Answers, ClickAndDropEachProbeTwiceAndShowTheAnswer) {
  const std::string path = dir_.Write(GetParam().name, GetParam().bytes);

  AnswerDialogWith(path.c_str());
  Click();
  EXPECT_EQ(Content(), path);
  EXPECT_EQ(Title(), TitleFor(GetParam().digits));
  EXPECT_EQ(Caption(), CaptionFor(GetParam().digits));
  EXPECT_EQ(probed, (std::vector<std::string>{path, path}));

  probed.clear();
  window_->WriteContent("");
  window_->SetTitle("Quorvel");
  Drop(path.c_str());
  EXPECT_EQ(Content(), path);
  EXPECT_EQ(Title(), TitleFor(GetParam().digits));
  EXPECT_EQ(Caption(), CaptionFor(GetParam().digits));
  EXPECT_EQ(probed, (std::vector<std::string>{path, path}));
}

INSTANTIATE_TEST_SUITE_P(Files, Answers,
                         ::testing::Values(Shown{"a64.exe", testing::Pe32Plus(), "64"},
                                           Shown{"a32.dll", testing::Pe32(), "32"},
                                           Shown{"notes.txt", testing::BytesOf(std::string(100, 'n')), "0"}),
                         [](const ::testing::TestParamInfo<Shown>& param) { return "case" + std::to_string(param.index); });

TEST_F(ProgramWindow, ACancelledFirstClickEmptiesTheBoxAndShowsZero) {
  window_->WriteContent("typed by hand");
  AnswerDialogWith(nullptr);
  Click();
  EXPECT_EQ(Content(), "");
  EXPECT_EQ(Title(), TitleFor("0"));
  EXPECT_EQ(Caption(), CaptionFor("0"));
  EXPECT_EQ(probed, (std::vector<std::string>{"", ""}));
}

// Several dropped paths arrive as one text, each followed by CR LF; no file has that name.
TEST_F(ProgramWindow, SeveralDroppedPathsShowZero) {
  const std::string a = dir_.Write("a.exe", testing::Pe32Plus());
  const std::string b = dir_.Write("b.exe", testing::Pe32());
  const std::string text = a + "\r\n" + b + "\r\n";
  Drop(text.c_str());
  EXPECT_EQ(Content(), text);
  EXPECT_EQ(Title(), TitleFor("0"));
  EXPECT_EQ(probed.size(), 2u);
}

TEST_F(ProgramWindow, AFolderDroppedShowsZero) {
  const std::string folder = dir_.path().string();
  Drop(folder.c_str());
  EXPECT_EQ(Title(), TitleFor("0"));
  EXPECT_EQ(Caption(), CaptionFor("0"));
}

// The two texts come from two probes: a file that changes in between shows it.
TEST_F(ProgramWindow, TitleAndCaptionComeFromSeparateProbes) {
  const std::string path = dir_.Write("changing.exe", testing::Pe32());
  // The file is rewritten right after the first probe, before the second.
  after_each_probe = [this] { dir_.Write("changing.exe", testing::Pe32Plus()); };
  Drop(path.c_str());
  EXPECT_EQ(Title(), TitleFor("32"));
  EXPECT_EQ(Caption(), CaptionFor("64"));
}

bool RegisteredForDrops(HWND window) {
  // A second registration is refused exactly while one exists.
  struct Nothing : IDropTarget {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
      *out = this;
      return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
  };
  static Nothing nothing;
  const HRESULT result = RegisterDragDrop(window, &nothing);
  if (result == S_OK) RevokeDragDrop(window);
  return result == DRAGDROP_E_ALREADYREGISTERED;
}

bool edit_destroyed = false;
bool registered_when_edit_destroyed = true;
WNDPROC edit_procedure = nullptr;
LRESULT CALLBACK WatchEditDestruction(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    edit_destroyed = true;
    registered_when_edit_destroyed = RegisteredForDrops(hwnd);
  }
  return CallWindowProcA(edit_procedure, hwnd, message, wparam, lparam);
}

// The text box takes drops from its creation on; the binding ends before the box is destroyed.
TEST_F(ProgramWindow, TheDropTargetIsBoundToTheTextBoxUntilJustBeforeItGoes) {
  HWND edit = Control(entry::编辑框1);
  EXPECT_TRUE(RegisteredForDrops(edit));
  EXPECT_FALSE(RegisteredForDrops(Main()));
  EXPECT_FALSE(RegisteredForDrops(Control(entry::按钮1)));

  // Watch the box's own destruction.
  edit_destroyed = false;
  registered_when_edit_destroyed = true;
  edit_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchEditDestruction)));
  DestroyWindow(Main());
  EXPECT_TRUE(edit_destroyed);
  EXPECT_FALSE(registered_when_edit_destroyed);
}

int label_presses = 0;
WNDPROC label_procedure = nullptr;
LRESULT CALLBACK CountLabelPresses(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_LBUTTONDOWN) ++label_presses;
  return CallWindowProcA(label_procedure, hwnd, message, wparam, lparam);
}

// A press on the result label reaches the label and changes nothing on screen.
TEST_F(ProgramWindow, APressOnTheResultLabelChangesNothing) {
  const std::string path = dir_.Write("shown.exe", testing::Pe32Plus());
  Drop(path.c_str());
  const std::string title = Title(), caption = Caption(), content = Content();
  HWND focus = GetFocus();
  probed.clear();

  HWND label = Control(entry::透明标签1);
  label_presses = 0;
  label_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountLabelPresses)));
  PostMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
  PostMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
  ASSERT_TRUE(testing::PumpUntil(layer_, [] { return label_presses > 0; }));

  EXPECT_EQ(label_presses, 1);
  EXPECT_EQ(Title(), title);
  EXPECT_EQ(Caption(), caption);
  EXPECT_EQ(Content(), content);
  EXPECT_EQ(GetFocus(), focus);
  EXPECT_TRUE(probed.empty());
}

// 1,000 answers, alternating 64-bit, 32-bit and non-PE files: what the process holds after them
// is what it held after the first ten.
TEST_F(ProgramWindow, AThousandAnswersLeaveNothingBehind) {
  const std::string files[] = {dir_.Write("s64.exe", testing::Pe32Plus()), dir_.Write("s32.exe", testing::Pe32()),
                               dir_.Write("s0.txt", testing::BytesOf(std::string(80, 't')))};
  auto answer = [&](int i) {
    Drop(files[i % 3].c_str());
    UpdateWindow(Control(entry::透明标签1));
    probed.clear();  // the test's own record of the probes must not grow either
  };
  // The counters must see one object come and go, or their agreement below proves nothing.
  {
    const long gdi = testing::CountGdiObjects().count;
    const long handles = testing::CountKernelHandles().count;
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_EQ(testing::CountGdiObjects().count, gdi + 1);
    EXPECT_EQ(testing::CountKernelHandles().count, handles + 1);
    DeleteObject(brush);
    CloseHandle(event);
  }

  for (int i = 0; i < 10; ++i) answer(i);
  testing::Pump(layer_, std::chrono::milliseconds(50));
  const auto gdi_before = testing::CountGdiObjects();
  const auto handles_before = testing::CountKernelHandles();
  const std::size_t memory_before = testing::PrivateBytes();

  for (int i = 10; i < 1000; ++i) answer(i);
  testing::Pump(layer_, std::chrono::milliseconds(50));

  const auto gdi_after = testing::CountGdiObjects();
  const auto handles_after = testing::CountKernelHandles();
  const std::size_t memory_after = testing::PrivateBytes();

  std::printf("after 10 and after 1000 answers: GDI objects (%s) %ld, %ld; kernel handles (%s) %ld, %ld; "
              "private bytes %zu, %zu\n",
              gdi_before.method, gdi_before.count, gdi_after.count, handles_before.method, handles_before.count,
              handles_after.count, memory_before, memory_after);
  EXPECT_EQ(Title(), TitleFor("64"));  // the last answer, number 999, for the 64-bit file
  EXPECT_EQ(gdi_after.count, gdi_before.count);
  EXPECT_EQ(handles_after.count, handles_before.count);
  // A leak of even one text per answer would be tens of kilobytes; the heap may settle a little.
  EXPECT_LT(memory_after, memory_before + 64 * 1024);
}

}  // namespace
}  // namespace quorvel
