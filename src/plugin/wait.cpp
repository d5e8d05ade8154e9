#include "plugin/wait.h"

#include "platform/platform.h"

namespace tarvo {

// StopFlag itself is defined with the page parser, its other reader.

void WaitStart() { platform::CreateWaitWindow(&BtnStopClick); }

void WaitStep(int position, int total, std::string_view code) {
  platform::PumpWaitWindow(position, total, code);
}

void WaitEnd() { platform::CloseWaitWindow(); }

void BtnStopClick() {
  StopFlag.store(true);
  platform::CloseWaitWindow();
}

}  // namespace tarvo
