varnadex_test(app_test LABEL unit SOURCES app_test.cpp)
