# cmake --install: the programs (the HotSync service among them) in bin/, the stand-ins out of the user's PATH
# in libexec/kestrel-plus/, the shipped files in share/kestrel-plus/ and the
# desktop integration in the freedesktop places.
# kestrel-hotsync is a real HotSync service, so it is on the PATH with the others.
install(TARGETS kestrel-plus kestrel-reg kestrel-tool kestrel-hotsync RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# kestrel-tool's network verb, run by it and by nobody else.
install(TARGETS kestrel-tool-fetch RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kestrel-plus)
# The HTTP module the program loads at its first fetch.
install(TARGETS kestrel-http LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/kestrel-plus)

# Every program of tools/standins, whichever exist.
get_property(KESTREL_STANDIN_TARGETS DIRECTORY ${CMAKE_SOURCE_DIR}/tools/standins
  PROPERTY BUILDSYSTEM_TARGETS)
foreach(target ${KESTREL_STANDIN_TARGETS})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kestrel-plus)
  endif()
endforeach()

install(DIRECTORY ${CMAKE_SOURCE_DIR}/share/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrel-plus
  PATTERN demo EXCLUDE PATTERN *.ts EXCLUDE)

set(desktop ${CMAKE_SOURCE_DIR}/desktop)
install(FILES ${desktop}/kestrel-plus.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/kestrel-plus.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${KESTREL_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${desktop}/kestrel-plus.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
if(KESTREL_HAVE_PNG_ICONS)
  foreach(size ${KESTREL_ICON_SIZES})
    install(FILES ${KESTREL_ICON_DIR}/${size}x${size}/kestrel-plus.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()
install(FILES ${desktop}/completions/kestrel-tool ${desktop}/completions/kestrel-reg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# USB handhelds for the person at the desktop (udev reads /usr/lib/udev).
install(FILES ${desktop}/60-kestrel-plus-palm.rules DESTINATION lib/udev/rules.d)
install(FILES ${desktop}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrel-plus)
install(FILES ${KESTREL_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrel-plus RENAME changelog.gz)
install(FILES ${KESTREL_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
