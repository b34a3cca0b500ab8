varnadex_test(fleet_test LABEL unit SOURCES fleet_test.cpp)
