// The wait window and the stop flag. The driver starts, steps and ends the window around the
// codes of a batch; the driver and the page parser end their loops when StopFlag is set.
#pragma once

#include <atomic>
#include <string_view>

namespace tarvo {

// Set by the stop button (or Ctrl-C on POSIX); cleared when a batch starts.
extern std::atomic<bool> StopFlag;

void WaitStart();                                              // creates the (hidden) window
void WaitStep(int position, int total, std::string_view code); // services pending messages once
void WaitEnd();
void BtnStopClick();                                           // sets StopFlag, closes the window

}  // namespace tarvo
