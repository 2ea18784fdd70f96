#pragma once
// Application-wide set-up shared by the program and its GUI tests: name,
// version and fonts.

class QApplication;

namespace quendal::ui {

void SetUpApplication(QApplication& app);

// The serif family the labels ask for; found on Chinese Windows, elsewhere
// replaced by an installed CJK serif.
inline constexpr char kSongFamily[] = "宋体";

}  // namespace quendal::ui
