#ifndef MAKEDATA_GIF_WRITER_H
#define MAKEDATA_GIF_WRITER_H

#include <string>
#include <vector>

#include "image.h"

// Writes frames of one size as a looping animated GIF89a with giflib.
// Transparent pixels get colour index 0, which the graphic control block
// of every frame names as transparent. delaySteps is what the engine's
// loader makes of the GIF delay at 100 steps a second; 1 to 6553.
void writeGif(const std::string& file, const std::vector<Image>& frames, unsigned delaySteps);

// The GIF delay (hundredths of a second) that the engine's loader turns
// into delaySteps at 100 steps a second: values below 10 are taken as
// tenths of a step count, larger ones as tens of milliseconds.
unsigned gifDelayFor(unsigned delaySteps);

#endif
