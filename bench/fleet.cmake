add_executable(fleet_bench ${CMAKE_CURRENT_LIST_DIR}/fleet_bench.cpp)
target_link_libraries(fleet_bench PRIVATE varnadex_sim_lib varnadex_cli_lib)
