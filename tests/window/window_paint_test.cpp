// How the window and its labels paint, read back as pixels from the window, and the GDI objects
// the painting leaves behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "main_window/main_window.h"
#include "main_window/window_description.h"
#include "process_resources.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

namespace entry = ui::entry;

// Pixels of a window as they are on screen, copied out through a 32-bit DIB.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;

  COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

Image Capture(HWND hwnd, bool whole_window) {
  RECT r{};
  if (whole_window) {
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, -r.left, -r.top);
  } else {
    GetClientRect(hwnd, &r);
  }
  Image image;
  image.width = r.right;
  image.height = r.bottom;
  HDC source = whole_window ? GetWindowDC(hwnd) : GetDC(hwnd);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, image.width, image.height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* bgra = static_cast<const unsigned char*>(bits);
  image.pixels.resize(static_cast<std::size_t>(image.width * image.height));
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    image.pixels[i] = RGB(bgra[4 * i + 2], bgra[4 * i + 1], bgra[4 * i]);
  }
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(hwnd, source);
  return image;
}

// Text pixels: smoothed edges vary, the strokes keep the hue clearly.
bool Reddish(COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 110 && GetBValue(c) < 110; }
bool Greenish(COLORREF c) { return GetGValue(c) > 80 && GetRValue(c) < 90 && GetBValue(c) < 90; }

// The columns and rows that hold pixels of a kind within a rectangle of the image.
struct Extent {
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
  int count = 0;
  bool Empty() const { return count == 0; }
};

template <typename Pred>
Extent Find(const Image& image, RECT area, Pred pred) {
  Extent e;
  area.left = std::max(area.left, 0L);
  area.top = std::max(area.top, 0L);
  area.right = std::min(area.right, static_cast<LONG>(image.width));
  area.bottom = std::min(area.bottom, static_cast<LONG>(image.height));
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (!pred(image.At(x, y))) continue;
      e.left = std::min(e.left, x);
      e.right = std::max(e.right, x);
      e.top = std::min(e.top, y);
      e.bottom = std::max(e.bottom, y);
      ++e.count;
    }
  }
  return e;
}

class PaintTest : public MainWindowTest {
 protected:
  void SetUp() override { LoadWindow(); }

  // The control's rectangle in the main window's client area.
  RECT RectOf(std::uint32_t number) const {
    const ui::Entry& e = *ui::MainWindowDescription().Find(number);
    return RECT{e.left, e.top, e.left + e.width, e.top + e.height};
  }
  void Settle() {
    UpdateWindow(Main());
    Pump(layer_, std::chrono::milliseconds(60));
  }
  Image AfterCaption(const char* caption) {
    window_->WriteCaption(entry::透明标签1, caption);
    Settle();
    return Capture(Main(), false);
  }
};

TEST_F(PaintTest, LabelsDrawGreenAndRedOverTheButtonFace) {
  Settle();
  const Image image = Capture(Main(), false);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  // Beside the controls, and inside each label away from its text, the window's background.
  EXPECT_EQ(image.At(200, 86), face);
  EXPECT_EQ(image.At(4, 4), face);
  EXPECT_EQ(image.At(360, 2), face) << "the label paints no background of its own";
  EXPECT_EQ(image.At(360, 148), face);

  const Extent green = Find(image, RectOf(entry::透明标签2), Greenish);
  const Extent red_in_green_label = Find(image, RectOf(entry::透明标签2), Reddish);
  EXPECT_GT(green.count, 50);
  EXPECT_TRUE(red_in_green_label.Empty());
  const Extent red = Find(image, RectOf(entry::透明标签1), Reddish);
  const Extent green_in_red_label = Find(image, RectOf(entry::透明标签1), Greenish);
  EXPECT_GT(red.count, 50);
  EXPECT_TRUE(green_in_red_label.Empty());
  // One line, vertically centred in the label.
  const RECT label = RectOf(entry::透明标签1);
  EXPECT_NEAR((red.top + red.bottom) / 2, (label.top + label.bottom) / 2, 4);
  EXPECT_GT(red.left, label.left + 5) << "the caption starts with five spaces";
}

TEST_F(PaintTest, TextBoxIsRedOnWhite) {
  window_->WriteContent("WWWWWWWW");
  Settle();
  HWND box = Control(entry::编辑框1);
  const Image image = Capture(box, false);
  EXPECT_EQ(image.At(image.width - 3, image.height - 3), RGB(255, 255, 255));
  EXPECT_GT(Find(image, RECT{0, 0, image.width, image.height}, Reddish).count, 20);
}

TEST_F(PaintTest, AShorterCaptionLeavesNoTraceOfALongerOne) {
  const Image longer = AfterCaption("     WWWWWWWWWWWWWWWWWWWW");
  const Image shorter = AfterCaption("     W");
  const RECT label = RectOf(entry::透明标签1);
  const Extent long_red = Find(longer, label, Reddish);
  const Extent short_red = Find(shorter, label, Reddish);
  ASSERT_FALSE(long_red.Empty());
  ASSERT_FALSE(short_red.Empty());
  EXPECT_GT(long_red.right, short_red.right + 100);
  // Right of the one letter the label's area is background again.
  RECT beyond = label;
  beyond.left = short_red.right + 2;
  EXPECT_TRUE(Find(shorter, beyond, [](COLORREF c) { return c != GetSysColor(COLOR_BTNFACE); }).Empty());
}

TEST_F(PaintTest, AnAmpersandUnderlinesTheNextLetterAndIsNotShown) {
  const RECT label = RectOf(entry::透明标签1);
  // Behind spaces, since the label starts left of the client area.
  const Image plain = AfterCaption("     AB");
  const Image marked = AfterCaption("     A&B");
  const Extent plain_red = Find(plain, label, Reddish);
  const Extent marked_red = Find(marked, label, Reddish);
  ASSERT_FALSE(plain_red.Empty());
  // Same two letters in the same place: no ampersand drawn between them.
  EXPECT_EQ(marked_red.left, plain_red.left);
  EXPECT_NEAR(marked_red.right, plain_red.right, 1);
  // The only extra pixels form a line under the B.
  Extent underline;
  for (int y = label.top; y < label.bottom; ++y) {
    for (int x = std::max(label.left, 0L); x < label.right; ++x) {
      if (Reddish(marked.At(x, y)) && !Reddish(plain.At(x, y))) {
        underline.left = std::min(underline.left, x);
        underline.right = std::max(underline.right, x);
        underline.top = std::min(underline.top, y);
        underline.bottom = std::max(underline.bottom, y);
        ++underline.count;
      }
    }
  }
  ASSERT_FALSE(underline.Empty()) << "no underline";
  const int middle = (plain_red.left + plain_red.right) / 2;
  EXPECT_GE(underline.left, middle - 2) << "the underline is under the B, not the A";
  EXPECT_GE(underline.top, plain_red.bottom - 3) << "the underline lies at the foot of the letters";
  EXPECT_LE(underline.bottom - underline.top, 3);
}

TEST_F(PaintTest, TextPastTheClientAreaIsCutOffAtItsEdge) {
  window_->WriteCaption(entry::透明标签1, std::string(60, 'W').c_str());
  Settle();
  const Image whole = Capture(Main(), true);
  RECT client{};
  GetClientRect(Main(), &client);
  POINT origin{0, 0};
  ClientToScreen(Main(), &origin);
  RECT outer{};
  GetWindowRect(Main(), &outer);
  const int client_left = origin.x - outer.left;
  const int client_top = origin.y - outer.top;
  const int client_right = client_left + client.right;
  const RECT label = RectOf(entry::透明标签1);
  const LONG top = client_top + label.top;
  const LONG bottom = client_top + label.bottom;
  // The text reaches the client area's last columns ...
  EXPECT_FALSE(Find(whole, RECT{client_right - 12, top, client_right, bottom}, Reddish).Empty());
  // ... and nothing of it is drawn over the frame, on either side.
  EXPECT_TRUE(Find(whole, RECT{client_right, 0, whole.width, whole.height}, Reddish).Empty());
  EXPECT_TRUE(Find(whole, RECT{0, 0, client_left, whole.height}, Reddish).Empty());
}

using testing::CountGdiObjects;
using GdiCount = testing::ResourceCount;

TEST_F(PaintTest, CaptionWritesLeakNoGdiObject) {
  Settle();
  // The counter must see a font come and go, or it proves nothing.
  const GdiCount before_probe = CountGdiObjects();
  HFONT probe = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "");
  const GdiCount with_probe = CountGdiObjects();
  DeleteObject(probe);
  ASSERT_EQ(with_probe.count, before_probe.count + 1) << "counting by " << before_probe.method;

  const GdiCount before = CountGdiObjects();
  for (int i = 0; i < 500; ++i) {
    window_->WriteCaption(entry::透明标签1, (i % 2) != 0 ? "  A&B" : std::to_string(i).c_str());
    UpdateWindow(Control(entry::透明标签1));
  }
  Settle();
  const GdiCount after = CountGdiObjects();
  std::printf("GDI objects by %s: %ld before, %ld after 500 caption writes\n", before.method, before.count, after.count);
  EXPECT_EQ(after.count, before.count);
}

// The text box's brush and font, the icons and the labels go with the window.
TEST(WindowLifetime, LoadingAndClosingTheWindowLeavesNoGdiObject) {
  Watchdog watchdog(std::chrono::seconds(60));
  ui::WindowLayer layer(GetModuleHandleA(nullptr));
  auto cycle = [&layer] {
    ui::MainWindow* window = layer.Load(ui::BuiltInDescriptions(), ui::kMainWindowNumber);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window->Handle());
    Pump(layer, std::chrono::milliseconds(30));
    DestroyWindow(window->Handle());
    Pump(layer, std::chrono::milliseconds(30));
  };
  // The first window also fills the system's caches (classes, stock objects, fonts).
  cycle();
  const GdiCount before = CountGdiObjects();
  for (int i = 0; i < 10; ++i) cycle();
  const GdiCount after = CountGdiObjects();
  std::printf("GDI objects by %s: %ld before, %ld after 10 windows\n", before.method, before.count, after.count);
  EXPECT_EQ(after.count, before.count);
}

}  // namespace
}  // namespace quorvel::testing
