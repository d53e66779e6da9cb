#include <QImage>
#include <QPainter>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

#include "CodePage.h"
#include "TXtraFil.h"

struct TImageFilter::TPageImage {
  QImage Image;
};

TImageFilter::TImageFilter(AnsiString fileName) : TExtraFilter(std::move(fileName)) {}
TImageFilter::~TImageFilter() = default;

AnsiString TImageFilter::ImageName(int n) const {
  if (Options().UseFileName) return PageFileName(FFileName, n, true);
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", n);
  return ExtractFilePath(FFileName) + "IMG" + digits + ExtractFileExt(FFileName);
}

void TImageFilter::BeginFile() {
  TExtraFilter::BeginFile();
  FRowGrouping = false;
}

void TImageFilter::EndFile() { DeleteOutputFile(); }

// Pages get a white background: a new image's content is undefined.
void TImageFilter::BeginPageOutput() {
  TExtraFilter::BeginPageOutput();
  EnsureGuiApplication();
  FImage = std::make_unique<TPageImage>();
  FImage->Image = QImage(int(MicronsToPixels(FPaperWidth)), int(MicronsToPixels(FPaperHeight)), QImage::Format_RGB32);
  FImage->Image.fill(Qt::white);
}

namespace {
QColor ToQColor(TColor c) {
  int32_t rgb = PlainRGB(c);
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}
}  // namespace

void TImageFilter::WriteBand(TReportBand& band) {
  TReportBand items = band;
  std::sort(items.begin(), items.end(), [](auto* a, auto* b) { return a->SeqNo < b->SeqNo; });
  QPainter painter(&FImage->Image);
  for (const TReportItem* item : items) {
    int left = int(MicronsToPixels(item->X)), top = int(MicronsToPixels(item->Top));
    QRect rect(left, top, int(MicronsToPixels(item->TextWidth)), int(MicronsToPixels(item->TextHeight)));
    painter.setFont(ToQFont(*item->Font));
    if (PlainRGB(item->BackColor) != 0xFFFFFF) painter.fillRect(rect, ToQColor(item->BackColor));
    painter.setPen(ToQColor(item->Font->Color()));
    int flags = Qt::TextSingleLine | Qt::TextExpandTabs | Qt::AlignTop;
    flags |= item->Alignment == eaRight ? Qt::AlignRight : item->Alignment == eaCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    painter.drawText(rect, flags, QString::fromStdString(AnsiToUtf8(item->Text)));
  }
}

namespace {
struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
};

void JpegErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<TJpegError*>(info->err)->Jump, 1); }
}  // namespace

bool WriteJPEGFile(const AnsiString& fileName, const unsigned char* rgb, int width, int height) {
  std::FILE* file = std::fopen(fileName.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info{};
  TJpegError error{};
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = JpegErrorExit;
  if (setjmp(error.Jump)) {
    jpeg_destroy_compress(&info);
    std::fclose(file);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + size_t(info.next_scanline) * size_t(width) * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

void TImageFilter::EndPageOutput() {
  AnsiString name = ImageName(FPageCount);
  TImageKind kind = KindFor(UpperCase(ExtractFileExt(FFileName)));
  QImage image = std::move(FImage->Image);
  FImage.reset();
  bool saved = true;
  if (kind == ikBMP) {
    QImage out = Options().PixelFormat == ipf8Bit
                     ? image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither)
                     : image.convertToFormat(QImage::Format_RGB888);
    saved = out.save(QString::fromStdString(AnsiToUtf8(name)), "BMP");
  } else if (kind == ikJPEG) {
    QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    // Rows of a QImage are padded to four bytes; the encoder wants them packed.
    std::vector<unsigned char> packed(size_t(rgb.width()) * size_t(rgb.height()) * 3);
    for (int y = 0; y < rgb.height(); ++y)
      std::copy_n(rgb.constScanLine(y), size_t(rgb.width()) * 3, packed.data() + size_t(y) * size_t(rgb.width()) * 3);
    saved = WriteJPEGFile(name, packed.data(), rgb.width(), rgb.height());
  }
  if (!saved) RaiseFileError(name);
}

const TImageFilterOptions& TBMPFilter::Options() const { return ExtraOptions().BMP; }
const TImageFilterOptions& TJPEGFilter::Options() const { return ExtraOptions().JPEG; }

TImageFilter::TImageKind TBMPFilter::KindFor(const AnsiString& upperExt) const {
  if (upperExt == ".BMP") return ikBMP;
  if (upperExt == ".JPG" || upperExt == ".JPEG") return ikJPEG;
  return ikNone;
}
