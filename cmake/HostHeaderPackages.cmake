# Header-only libraries for the cross-build, taken from the host's Debian packages. The host's
# own config files would put all of /usr/include on the path, where glibc's headers would
# shadow mingw-w64's; instead each library's folder is copied on its own and a small config
# file stands in for the package's, so find_package() works unchanged in every CMakeLists.
set(varnadex_host_headers ${CMAKE_BINARY_DIR}/host-headers)

# varnadex_host_header_package(<Package> <target> <folder under /usr/include> <version>)
function(varnadex_host_header_package package target folder version)
    if(NOT EXISTS /usr/include/${folder})
        return()
    endif()
    file(COPY /usr/include/${folder} DESTINATION ${varnadex_host_headers}/include)
    set(dir ${varnadex_host_headers}/cmake/${package})
    file(WRITE ${dir}/${package}Config.cmake
        "if(NOT TARGET ${target})\n"
        "    add_library(${target} INTERFACE IMPORTED)\n"
        "    set_target_properties(${target} PROPERTIES\n"
        "        INTERFACE_INCLUDE_DIRECTORIES \"${varnadex_host_headers}/include\")\n"
        "endif()\n"
        "set(${package}_VERSION ${version})\n")
    file(WRITE ${dir}/${package}ConfigVersion.cmake
        "set(PACKAGE_VERSION ${version})\n"
        "if(PACKAGE_FIND_VERSION VERSION_GREATER PACKAGE_VERSION)\n"
        "    set(PACKAGE_VERSION_COMPATIBLE FALSE)\n"
        "else()\n"
        "    set(PACKAGE_VERSION_COMPATIBLE TRUE)\n"
        "endif()\n")
    set(${package}_DIR ${dir} CACHE PATH "" FORCE)
endfunction()

# The versions as the headers state them, so that a version asked of find_package is checked.
set(json_version 3)
foreach(header /usr/include/nlohmann/detail/abi_macros.hpp /usr/include/nlohmann/json.hpp)
    if(NOT EXISTS ${header})
        continue()
    endif()
    file(STRINGS ${header} lines REGEX "define NLOHMANN_JSON_VERSION_(MAJOR|MINOR|PATCH) ")
    if(lines)
        string(REGEX REPLACE ".*MAJOR ([0-9]+).*MINOR ([0-9]+).*PATCH ([0-9]+).*" "\\1.\\2.\\3"
            json_version "${lines}")
        break()
    endif()
endforeach()
set(cli11_version 2)
if(EXISTS /usr/include/CLI/Version.hpp)
    file(STRINGS /usr/include/CLI/Version.hpp lines REGEX "define CLI11_VERSION ")
    string(REGEX REPLACE ".*\"([0-9.]+)\".*" "\\1" cli11_version "${lines}")
endif()

varnadex_host_header_package(nlohmann_json nlohmann_json::nlohmann_json nlohmann ${json_version})
varnadex_host_header_package(CLI11 CLI11::CLI11 CLI ${cli11_version})
