list(APPEND TF_CORE_SOURCES moon/MoonPhase.cpp)
