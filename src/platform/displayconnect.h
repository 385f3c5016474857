#pragma once

// The window system, chosen and connected before anything is shown.
namespace displayconnect {

// The windows are placed beside one another, which a Wayland client cannot
// do: where the session offers X (Xwayland too), X is asked for first and
// Wayland is the fallback. A platform the user chose is kept. Returns
// whether the choice was made here (to be withdrawn once Qt has started,
// so programs started from here choose their own).
bool choosePlatform();

// Lives while Qt connects to the display. A display that refuses (none
// there, a wrong DISPLAY, a server just starting or full) ends the program
// with one line on standard error and status 1, instead of Qt's abort and
// core dump. What Qt said meanwhile is passed on when it did connect.
class ConnectGuard {
public:
    ConnectGuard();
    ~ConnectGuard();
    ConnectGuard(const ConnectGuard&) = delete;
    ConnectGuard& operator=(const ConnectGuard&) = delete;
};

} // namespace displayconnect
