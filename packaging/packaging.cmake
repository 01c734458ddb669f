# Install rules and the release package of each platform: a portable zip for
# Windows (`--target package` of the windows preset) and a Debian package for
# Linux (`--target package` of the default preset). Included from the top
# level after every program is defined.
if(TARGET zarvo750)
  set(ZARVO_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
  set(ZARVO_PACKAGE_FILES ${PROJECT_BINARY_DIR}/packaging)
  set(ZARVO_PACKAGE_MAINTAINER "The Zarvo750 authors <authors@zarvo750.example>" CACHE STRING
      "Maintainer named in the Debian package")

  set(CPACK_PACKAGE_NAME zarvo750)
  set(CPACK_PACKAGE_VENDOR "The Zarvo750 authors")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fits shop HTML into a 750- or 190-pixel module area")
  set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

  if(WIN32)
    # Everything in one folder: the programs run from wherever it is unpacked.
    install(TARGETS zarvo750 RUNTIME DESTINATION .)
    if(TARGET zarvo750-cli)
      install(TARGETS zarvo750-cli RUNTIME DESTINATION .)
    endif()
    # Notepad shows the Chinese right in UTF-8 with a byte-order mark, and
    # every line apart in CR LF.
    string(ASCII 239 187 191 bom)
    function(zarvo_windows_text source name)
      file(READ ${source} content)
      file(CONFIGURE OUTPUT ${ZARVO_PACKAGE_FILES}/${name} CONTENT "${bom}${content}" @ONLY
           NEWLINE_STYLE CRLF)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
      install(FILES ${ZARVO_PACKAGE_FILES}/${name} DESTINATION .)
    endfunction()
    zarvo_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
    zarvo_windows_text(${ZARVO_PACKAGING_DIR}/windows/README.txt README.txt)

    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME zarvo750-${PROJECT_VERSION}-windows-x64)
  else()
    install(TARGETS zarvo750 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(TARGET zarvo750-cli)
      install(TARGETS zarvo750-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
    install(FILES ${ZARVO_PACKAGING_DIR}/linux/zarvo750.desktop
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
    foreach(size 48 256)
      install(FILES ${ZARVO_PACKAGING_DIR}/icons/zarvo750-${size}.png
              DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
              RENAME zarvo750.png)
    endforeach()

    # The licence as a Debian copyright file; the changelog and the manual
    # page compressed as Debian wants them (no time stamp inside).
    set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/zarvo750)
    file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
    string(REGEX REPLACE "^.*\n(Permission is hereby granted)" "\\1" licence "${licence}")
    string(REGEX REPLACE "\n+$" "" licence "${licence}")
    string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
    string(REPLACE "\n" "\n " licence "${licence}")
    set(ZARVO_LICENSE_BODY " ${licence}")
    configure_file(${ZARVO_PACKAGING_DIR}/debian/copyright.in ${ZARVO_PACKAGE_FILES}/copyright
                   @ONLY)
    configure_file(${ZARVO_PACKAGING_DIR}/debian/changelog.in ${ZARVO_PACKAGE_FILES}/changelog
                   @ONLY)
    find_program(ZARVO_GZIP gzip REQUIRED)
    execute_process(COMMAND ${ZARVO_GZIP} -9nc ${ZARVO_PACKAGE_FILES}/changelog
                    OUTPUT_FILE ${ZARVO_PACKAGE_FILES}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${ZARVO_PACKAGE_FILES}/copyright ${ZARVO_PACKAGE_FILES}/changelog.gz
            DESTINATION ${docdir})
    set(manuals zarvo750)
    if(TARGET zarvo750-cli)
      list(APPEND manuals zarvo750-cli)
    endif()
    foreach(manual ${manuals})
      configure_file(${ZARVO_PACKAGING_DIR}/linux/${manual}.1 ${ZARVO_PACKAGE_FILES}/${manual}.1
                     @ONLY)
      execute_process(COMMAND ${ZARVO_GZIP} -9nc ${ZARVO_PACKAGE_FILES}/${manual}.1
                      OUTPUT_FILE ${ZARVO_PACKAGE_FILES}/${manual}.1.gz COMMAND_ERROR_IS_FATAL ANY)
      install(FILES ${ZARVO_PACKAGE_FILES}/${manual}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()

    set(CPACK_GENERATOR DEB)
    # The package installs where this build says the program lives, so that
    # the program knows itself installed.
    set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZARVO_PACKAGE_MAINTAINER}")
    set(CPACK_DEBIAN_PACKAGE_SECTION web)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    # Below the synopsis (the summary): CPack indents each line.
    string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Zarvo750 is a desktop tool for people who decorate an online shop with\n"
      "hand-written HTML. It wraps code written for the professional shop editor\n"
      "(950 pixels or full screen) into a template for a 750- or 190-pixel module\n"
      "area of the basic editor, fills in the module height, a spacing correction\n"
      "and an offset, copies the result to the clipboard and writes a preview page.")
  endif()
  include(CPack)
endif()
