# Installs a template configured at install time, so that the paths in it follow the prefix
# of that install (`cmake --install --prefix DIR`, or /usr for a package) rather than the one
# the build folder was configured with. A template may name @prefix@, @bindir@ (absolute),
# @libdir@ and @includedir@ (relative to the prefix) and @version@.
function(zn_install_configured template destination component)
  get_filename_component(name ${template} NAME_WLE)
  set(configured ${CMAKE_CURRENT_BINARY_DIR}/install-time/${name})
  install(CODE "
    set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
    set(bindir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    set(libdir \"${CMAKE_INSTALL_LIBDIR}\")
    set(includedir \"${CMAKE_INSTALL_INCLUDEDIR}\")
    set(version \"${PROJECT_VERSION}\")
    configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/${template}\" \"${configured}\" @ONLY)
    file(INSTALL \"${configured}\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${destination}\")"
    COMPONENT ${component})
endfunction()
