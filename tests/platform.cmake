# The platform layer itself: the safe file functions on every system, and the Win32 serial
# port's names and the Winsock socket on Windows (run under Wine here).
varnadex_test(safe_output_test LABEL unit SOURCES safe_output_test.cpp)
if(WIN32)
    varnadex_test(win_platform_test LABEL unit SOURCES win_platform_test.cpp)
endif()
