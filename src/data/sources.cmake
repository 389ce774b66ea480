list(APPEND TF_CORE_SOURCES data/Schema.cpp data/LikePattern.cpp data/DataSource.cpp)
