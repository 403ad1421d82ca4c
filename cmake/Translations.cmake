# The interface's English texts: share/translations/*.ts (Qt Linguist, the
# Japanese texts the source) compiled by lrelease into <build>/translations,
# where the programs of <build>/bin find them, and installed beside the other
# shipped files.
find_program(KESTREL_LRELEASE lrelease HINTS /usr/lib/qt6/bin ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}
  REQUIRED)
# lupdate: the tests compare what the sources mark with the .ts files.
find_program(KESTREL_LUPDATE lupdate HINTS /usr/lib/qt6/bin ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}
  REQUIRED)
set(KESTREL_TS_FILES ${CMAKE_SOURCE_DIR}/share/translations/kestrel-plus_en.ts)
set(KESTREL_QM_DIR ${CMAKE_BINARY_DIR}/translations)
set(KESTREL_QM_FILES)
foreach(ts ${KESTREL_TS_FILES})
  get_filename_component(base ${ts} NAME_WE)
  set(qm ${KESTREL_QM_DIR}/${base}.qm)
  add_custom_command(OUTPUT ${qm}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTREL_QM_DIR}
    COMMAND ${KESTREL_LRELEASE} -silent -removeidentical ${ts} -qm ${qm}
    DEPENDS ${ts} VERBATIM)
  list(APPEND KESTREL_QM_FILES ${qm})
endforeach()
add_custom_target(kestrel_translations ALL DEPENDS ${KESTREL_QM_FILES})
add_dependencies(kestrel-plus kestrel_translations)
install(FILES ${KESTREL_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrel-plus/translations)
