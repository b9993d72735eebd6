#include "ProgramSettings.h"

bool ProgramSettings::serviceMode = false;
char ProgramSettings::firmwareFilePath[261] = "";
