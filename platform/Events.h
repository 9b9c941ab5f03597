#pragma once

namespace smx::platform {

// Lets pending window messages through, so the screen stays painted during long work.
void process_messages();

// The refusal sound of a rejected key. Counted, so tests can see it.
void beep();
int beep_count();

} // namespace smx::platform
