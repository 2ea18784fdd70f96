#pragma once
// Application-wide set-up shared by the program and its GUI tests: name,
// version and fonts.

#include <QString>

class QApplication;

namespace quendal::ui {

void SetUpApplication(QApplication& app);

// fontconfig reads its configuration and font caches on first use, a third
// of the start-up. Made first thing in main, this object has that done on a
// second thread while QApplication connects to the display; SetUpApplication
// waits for it before Qt's first use of the fonts.
class FontConfigPreload {
public:
    FontConfigPreload();
    ~FontConfigPreload();
    FontConfigPreload(const FontConfigPreload&) = delete;
    FontConfigPreload& operator=(const FontConfigPreload&) = delete;
};

// The serif family of the labels, found on Chinese Windows.
inline constexpr char kSongFamily[] = "宋体";

// The embedded fonts (assets/fonts): the serif stands in for 宋体 where it is
// missing, the sans is the dialog font.
inline constexpr char kSerifFamily[] = "Quendal Serif";
inline constexpr char kSansFamily[] = "Quendal Sans";

// The family of the 宋体 labels. Call after SetUpApplication.
QString SongFamily();

}  // namespace quendal::ui
