// The image control's layout of its picture, and the panel's caption.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QWidget>

#include "ExtCtrls.h"
#include "Forms.h"
#include "support_ui.h"

namespace {

// A 4 x 2 picture: left half red, right half blue.
void FillPicture(TImage* Image) {
  TBitmap* b = Image->Picture()->Bitmap();
  b->SetSize(4, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) b->Canvas()->SetPixel(x, y, x < 2 ? clRed : clBlue);
  Image->PictureChanged();
}

struct Layout {
  const char* what;
  bool stretch, proportional, center;
  int width, height;
  // Expected colour at points of the control: 'r' red, 'b' blue, '-' background.
  std::vector<std::pair<QPoint, char>> probes;
};

void PrintTo(const Layout& L, std::ostream* Os) { *Os << L.what; }

class ImageLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(ImageLayout, PlacesThePicture) {
  const Layout& l = GetParam();
  TForm f(nullptr);
  f.SetColor(clWhite);
  auto* img = new TImage(&f);
  img->SetParent(&f);
  img->SetBounds(0, 0, l.width, l.height);
  FillPicture(img);
  img->SetStretch(l.stretch);
  img->SetProportional(l.proportional);
  img->SetCenter(l.center);
  f.Show();
  ui::Pump(10);
  const QImage shot = img->Handle()->grab().toImage();
  for (const auto& [p, want] : l.probes) {
    const QColor c = shot.pixelColor(p);
    const char got = c == QColor(255, 0, 0) ? 'r' : c == QColor(0, 0, 255) ? 'b' : '-';
    EXPECT_EQ(got, want) << l.what << " at " << p.x() << "," << p.y();
  }
  f.Hide();
}

INSTANTIATE_TEST_SUITE_P(
    Images, ImageLayout,
    ::testing::Values(
        Layout{"top-left corner",
               false,
               false,
               false,
               40,
               20,
               {{{0, 0}, 'r'}, {{3, 1}, 'b'}, {{5, 5}, '-'}}},
        Layout{
            "centred", false, false, true, 10, 10, {{{3, 4}, 'r'}, {{6, 4}, 'b'}, {{0, 0}, '-'}}},
        Layout{"stretched", true, false, false, 40, 20, {{{5, 15}, 'r'}, {{35, 15}, 'b'}}},
        Layout{"stretched keeping the aspect",
               true,
               true,
               false,
               40,
               40,
               {{{5, 5}, 'r'}, {{35, 5}, 'b'}, {{5, 30}, '-'}}},
        Layout{"shrunk to fit",
               false,
               true,
               false,
               2,
               2,
               {{{0, 0}, 'r'}, {{1, 0}, 'b'}, {{0, 1}, '-'}}}));

TEST(Image, TransparentLetsTheBackgroundThrough) {
  TForm f(nullptr);
  f.SetColor(clWhite);
  auto* img = new TImage(&f);
  img->SetParent(&f);
  img->SetBounds(0, 0, 4, 2);
  FillPicture(img);
  img->SetTransparent(true);  // the bottom-left pixel's colour (red) is see-through
  f.Show();
  ui::Pump(10);
  const QImage shot = f.Handle()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(0, 0), QColor(255, 255, 255));
  EXPECT_EQ(shot.pixelColor(3, 0), QColor(0, 0, 255));
  f.Hide();
}

// A picture taken from a description stays encoded until the control is drawn: it must be
// drawn, sized and made see-through as a picture decoded at once.
TEST(Image, PictureKeptEncodedIsShownAsDecoded) {
  QImage source(4, 2, QImage::Format_RGB32);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) source.setPixel(x, y, x < 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
  QByteArray png;
  QBuffer buf(&png);
  buf.open(QIODevice::WriteOnly);
  ASSERT_TRUE(source.save(&buf, "PNG"));
  const String bytes(png.constData(), static_cast<size_t>(png.size()));

  struct Case {
    const char* what;
    bool transparent, autoSize, stretch;
  };
  const Case cases[] = {{"as it is", false, false, false},
                        {"see-through", true, false, false},
                        {"sized to the picture", false, true, false},
                        {"stretched", false, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TForm f(nullptr);
    f.SetColor(clWhite);
    auto make = [&](bool keptEncoded, int left) {
      auto* img = new TImage(&f);
      img->SetParent(&f);
      img->SetBounds(left, 0, 10, 6);
      img->SetTransparent(c.transparent);
      img->SetAutoSize(c.autoSize);
      img->SetStretch(c.stretch);
      if (keptEncoded)
        img->Picture()->LoadFromEncoded(bytes);
      else
        img->Picture()->LoadFromBytes(bytes.data(), bytes.size());
      return img;
    };
    TImage* decoded = make(false, 0);
    TImage* kept = make(true, 20);
    EXPECT_EQ(kept->Width(), decoded->Width());
    EXPECT_EQ(kept->Height(), decoded->Height());
    f.Show();
    ui::Pump(10);
    const QImage want = decoded->Handle()->grab().toImage();
    EXPECT_EQ(kept->Handle()->grab().toImage(), want);
    f.Hide();
  }
}

TEST(Panel, HoldsControlsAndShowsItsCaption) {
  TForm f(nullptr);
  auto* p = new TPanel(&f);
  p->SetParent(&f);
  p->SetCaption("NOTES");
  EXPECT_EQ(p->Caption(), "NOTES");
  auto* inner = new TPanel(&f);
  inner->SetParent(p);
  inner->SetBounds(5, 6, 20, 10);
  EXPECT_EQ(inner->Handle()->parentWidget(), p->Handle());
  EXPECT_EQ(inner->Handle()->geometry(), QRect(5, 6, 20, 10));
  // Hiding the panel hides what it holds, and each keeps its own Visible.
  p->Hide();
  EXPECT_TRUE(inner->Visible());
  EXPECT_FALSE(inner->Showing());
}

}  // namespace
