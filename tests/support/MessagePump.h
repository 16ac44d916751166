#pragma once

#include <functional>

/** Runs the message loop on the calling (message) thread until `condition` holds or `timeoutMs`
    has passed. Returns whether the condition held. */
bool pumpMessagesUntil (const std::function<bool()>& condition, int timeoutMs = 5000);

/** Runs the message loop for a fixed time, for tests that check something does not happen. */
void pumpMessagesFor (int milliseconds);
