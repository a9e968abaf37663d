// The process's standard streams as text sinks and a line source, over the C library's stdio so
// that the programs carry no stream library; bytes reach the streams exactly as written.
#pragma once

#include "platform/text_sink.h"

namespace setup {

TextSink& StandardOutput();
TextSink& StandardError();
LineSource& StandardInput();

}  // namespace setup
