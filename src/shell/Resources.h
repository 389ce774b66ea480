#pragma once

namespace tf {
// Registers the program's compiled-in pictures. The GUI library is static, so
// its resource objects are only linked in when something names them: the
// start-up and every test call this first.
void initResources();
} // namespace tf
