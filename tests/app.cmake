varnadex_test(app_test LABEL unit SOURCES app_test.cpp)
target_include_directories(app_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
varnadex_test(layers_test LABEL unit SOURCES layers_test.cpp)
target_compile_definitions(layers_test PRIVATE VARNADEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
