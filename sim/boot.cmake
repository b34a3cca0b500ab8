target_sources(varnadex_sim_lib PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/BootFaults.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Bootloader.cpp
)
