# Debian's hardening flags: those `DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags` gives on
# Debian 12, set here rather than read from it so that the build keeps its own optimisation level.
# Fortify needs optimisation, so it is set only when the build has some. PIE is the Debian
# compiler's default.
add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
if("${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}}" MATCHES "-O[1-3sz]|-Ofast")
  add_compile_definitions(_FORTIFY_SOURCE=2)
endif()
add_link_options(LINKER:-z,relro LINKER:-z,now)
