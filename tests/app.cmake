varnadex_test(app_test LABEL unit SOURCES app_test.cpp)
target_include_directories(app_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
