#include "app/InstrumentsStandaloneApplication.h"

START_JUCE_APPLICATION (InstrumentsStandaloneApplication)
