if(VARNADEX_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    varnadex_test(ui_find_test LABEL udp SOURCES ui_main_env.cpp ui_find_test.cpp
        LIBS varnadex_ui varnadex_sim_lib Qt6::Test)
endif()
