#pragma once
// Marks a handler as running for as long as it runs, by whatever way it
// returns. A handler that shows a message box is still running while the box
// is open, and a click can reach it again through BM_CLICK (which a disabled
// window's buttons still take): the flag lets it refuse to start twice.

namespace quendal::win32 {

class BusyFlag {
public:
    explicit BusyFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyFlag() { m_flag = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& m_flag;
};

}  // namespace quendal::win32
