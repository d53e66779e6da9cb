#include <QImage>
#include <QImageReader>

#include "ExportTestSupport.h"

using namespace exporttest;

namespace {

class ImageTest : public ::testing::Test {
protected:
  std::vector<TPage> ThreePages() {
    return {{{100, 100, Arial.get(), "one"}}, {{100, 100, Arial.get(), "two"}}, {{100, 100, Arial.get(), "three"}}};
  }
  TTempDir Dir;
  std::unique_ptr<TFont> Arial = MakeFont();
};

QByteArray FormatOf(const std::string& file) { return QImageReader(QString::fromStdString(file)).format(); }

TEST_F(ImageTest, OneImagePerPageOfThePaperSize) {
  struct {
    const char* Output;
    bool Jpeg;
    const char* Image;
    QByteArray Format;
  } cases[] = {{"rep.bmp", false, "IMG%04d.bmp", "bmp"},
               {"rep.jpg", false, "IMG%04d.jpg", "jpeg"},
               {"rep.jpeg", false, "IMG%04d.jpeg", "jpeg"},
               {"rep.jpg", true, "IMG%04d.jpg", "jpeg"},
               {"rep.bmp", true, "IMG%04d.bmp", "jpeg"}};  // JPEG whatever the name says
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Output) + (c.Jpeg ? " JPEG" : " BMP"));
    TTempDir dir;
    std::unique_ptr<TExtraFilter> f;
    if (c.Jpeg)
      f = std::make_unique<TJPEGFilter>(dir / c.Output);
    else
      f = std::make_unique<TBMPFilter>(dir / c.Output);
    RunExport(*f, ThreePages());
    EXPECT_FALSE(fs::exists(dir / c.Output));
    for (int n = 1; n <= 3; ++n) {
      char name[32];
      std::snprintf(name, sizeof name, c.Image, n);
      std::string path = dir / name;
      ASSERT_TRUE(fs::exists(path)) << name;
      EXPECT_EQ(FormatOf(path), c.Format);
      QImage image(QString::fromStdString(path));
      EXPECT_EQ(image.width(), 793);
      EXPECT_EQ(image.height(), 1122);
    }
    EXPECT_FALSE(fs::exists(dir / "IMG0004.bmp"));
  }
}

TEST_F(ImageTest, OtherExtensionsSaveNothing) {
  TBMPFilter f(Dir / "rep.txt");
  RunExport(f, ThreePages());
  EXPECT_TRUE(fs::is_empty(Dir.Path));
}

TEST_F(ImageTest, PixelFormatOptionAndNaming) {
  auto bitCount = [](const std::string& file) { return U16(ReadFile(file), 28); };
  TBMPFilter palette(Dir / "a.bmp");
  RunExport(palette, {{{100, 100, Arial.get(), "x"}}});
  EXPECT_EQ(bitCount(Dir / "IMG0001.bmp"), 8);

  ExtraOptions().BMP.PixelFormat = ipf24Bit;
  ExtraOptions().BMP.UseFileName = true;
  TBMPFilter full(Dir / "b.bmp");
  RunExport(full, {{{100, 100, Arial.get(), "x"}}});
  ExtraOptions().BMP.PixelFormat = ipf8Bit;
  ExtraOptions().BMP.UseFileName = false;
  EXPECT_EQ(bitCount(Dir / "b0001.bmp"), 24);
}

TEST_F(ImageTest, TextsAreDrawnOnAWhitePageWithTheirBackground) {
  ExtraOptions().BMP.PixelFormat = ipf24Bit;
  TBMPFilter f(Dir / "a.bmp");
  RunExport(f, {{{100, 100, Arial.get(), "white", eaLeft, clWhite}, {100, 500, Arial.get(), "yellow", eaLeft, clYellow}}});
  ExtraOptions().BMP.PixelFormat = ipf8Bit;
  QImage image(QString::fromStdString(Dir / "IMG0001.bmp"));
  ASSERT_FALSE(image.isNull());
  auto countIn = [&](int top, int height, QRgb colour, bool equal) {
    int n = 0;
    for (int y = top; y < top + height; ++y)
      for (int x = 37; x < 37 + int(WidthPx(*Arial, "yellow")); ++x) n += (image.pixel(x, y) == colour) == equal;
    return n;
  };
  int h = int(HeightPx(*Arial, "yellow"));
  EXPECT_GT(countIn(37, h, qRgb(0, 0, 0), true), 0) << "no text drawn";
  EXPECT_EQ(countIn(37, h, qRgb(255, 255, 0), true), 0) << "white background painted";
  EXPECT_GT(countIn(188, h, qRgb(255, 255, 0), true), 0) << "yellow background missing";
  EXPECT_EQ(image.pixel(700, 1000), qRgb(255, 255, 255));
}

TEST_F(ImageTest, AnUnwritableImageEndsTheExport) {
  fs::create_directories(Dir.Path / "IMG0001.jpg");
  TJPEGFilter f(Dir / "a.jpg");
  try {
    RunExport(f, {{{100, 100, Arial.get(), "x"}}});
    FAIL() << "no error";
  } catch (const EPrinter& e) {
    EXPECT_EQ(std::string(e.what()), "File Error: " + (Dir / "IMG0001.jpg"));
  }
}

}  // namespace
