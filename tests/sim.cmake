varnadex_test(sim_link_test LABEL udp SOURCES sim_link_test.cpp LIBS varnadex_sim_lib)
if(TARGET varnadex-sim AND TARGET sim_link_test)
    target_compile_definitions(sim_link_test PRIVATE
        VARNADEX_SIM_PROGRAM="$<TARGET_FILE:varnadex-sim>")
    add_dependencies(sim_link_test varnadex-sim)
endif()
