#pragma once

// Tells the web-analytics counter once per run that the program was started, as if a visitor
// of the hosting space had loaded the counter's page. Nothing is read back or shown.
namespace arlo::online {

// Sends the ping and waits for the answer, which is discarded. True when the counter
// answered at all; callers may ignore the result, as start-up does. Blocks: run it on a
// thread of its own.
bool sendUsagePing();

}  // namespace arlo::online
