include(CMakePackageConfigHelpers)

install(TARGETS zelkor_tests EXPORT zelkor-tests-targets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/zelkor DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.hpp")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/include/zelkor/tests/Paths_zelkor_tests.hpp
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zelkor/tests)
install(DIRECTORY data/Test DESTINATION ${ZELKOR_INSTALL_DATADIR})
install(DIRECTORY data/Wycheproof DESTINATION ${ZELKOR_INSTALL_DATADIR})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/build-stamp DESTINATION ${ZELKOR_INSTALL_DATADIR})

set(ZELKOR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/zelkor-tests)
install(EXPORT zelkor-tests-targets NAMESPACE zelkor:: DESTINATION ${ZELKOR_CMAKE_DIR})
configure_package_config_file(cmake/zelkor-testsConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/zelkor-testsConfig.cmake INSTALL_DESTINATION ${ZELKOR_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/zelkor-testsConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zelkor-testsConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/zelkor-testsConfigVersion.cmake
              cmake/ZelkorTestsAdd.cmake
        DESTINATION ${ZELKOR_CMAKE_DIR})
