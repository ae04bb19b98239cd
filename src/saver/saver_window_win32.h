// Orbisette_Main, the saver window: ball 0 of the run and the owner of the run.
// Its load places ten balls over the desktop; its timer moves them, lets them
// rebound from one another and ends the run when the cursor leaves its corner or
// Escape is pressed.
#pragma once

namespace orbisette {

// Creates the saver window (its animation timer starts with it) and runs the run
// start. Returns once the ten windows are shown; the timer drives the rest.
void LoadSaverWindow();

}  // namespace orbisette
