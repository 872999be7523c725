#include "synth/Synth.h"
