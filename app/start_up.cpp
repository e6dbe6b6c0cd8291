#include "app/start_up.h"

#include "app/calibration_window.h"

namespace app {

// TODO(owner: start-up): the trainer search, the settings and Start.
void RunStartUp(TForm1& /*form*/) {}

}  // namespace app
