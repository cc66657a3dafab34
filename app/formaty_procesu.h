// The process-wide date, time and number formats every log line and every
// date sent to a database uses: dd.mm.yyyy, hh:mm:ss, decimal ",".
#pragma once

// Set once on the main thread when the control window is created.
void UstawFormatyProcesu();
