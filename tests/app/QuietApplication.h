#pragma once

#include "app/InstrumentsStandaloneApplication.h"

/** The application with the quit request ignored instead of stopping the test's message loop. */
class QuietApplication : public InstrumentsStandaloneApplication
{
public:
    using InstrumentsStandaloneApplication::InstrumentsStandaloneApplication;
    void systemRequestedQuit() override {}
};
