#pragma once

// Tells the web-analytics counter once per run that the program was started, as if a visitor
// of the hosting space had loaded the counter's page. Nothing is read back or shown.
namespace arlo::online {

// Sends the ping and waits for the answer, which is discarded. True when the counter's whole
// answer arrived with a 2xx status; false for anything less (no answer, a partial header block
// or body, an error status, the deadline). Callers may ignore the result, as start-up does.
// Blocks, at most for the deadline of pages: run it on a thread of its own.
bool sendUsagePing();

}  // namespace arlo::online
