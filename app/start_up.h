#pragma once
// The calibration window's start-up: finds the trainer, loads the calibration
// points for its generation and starts the statistics events.
namespace app {

class TForm1;

// Runs inside TForm1::FormCreate, before the window is shown.
void RunStartUp(TForm1& form);

}  // namespace app
