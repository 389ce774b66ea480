#pragma once

namespace tf {

// Teaches the window registry every window a menu opens by name. A new window
// plugs in with one line here (and its #include in WindowCatalog.cpp).
void registerWindows();

} // namespace tf
