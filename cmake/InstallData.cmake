# Copies install/ beside the program and generates the pristine site database from the
# schema and seed SQL, so bin/ is a complete installation folder.

set(ORVANE_INSTALL_SRC ${CMAKE_SOURCE_DIR}/install)
file(GLOB_RECURSE ORVANE_INSTALL_FILES CONFIGURE_DEPENDS ${ORVANE_INSTALL_SRC}/*)

set(ORVANE_INSTALL_STAMP ${CMAKE_BINARY_DIR}/install_data.stamp)
add_custom_command(
    OUTPUT ${ORVANE_INSTALL_STAMP}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${ORVANE_INSTALL_SRC} ${ORVANE_BIN_DIR}
    # Folders that start empty in a fresh installation.
    COMMAND ${CMAKE_COMMAND} -E make_directory
            ${ORVANE_BIN_DIR}/userImages ${ORVANE_BIN_DIR}/savedData ${ORVANE_BIN_DIR}/initdata
            ${ORVANE_BIN_DIR}/tmplImg ${ORVANE_BIN_DIR}/template ${ORVANE_BIN_DIR}/fonts
            ${ORVANE_BIN_DIR}/backGround ${ORVANE_BIN_DIR}/images ${ORVANE_BIN_DIR}/help
    COMMAND ${CMAKE_COMMAND} -E touch ${ORVANE_INSTALL_STAMP}
    DEPENDS ${ORVANE_INSTALL_FILES}
    COMMENT "Copying the installation data beside the program"
    VERBATIM)

set(ORVANE_PRISTINE_DB ${ORVANE_BIN_DIR}/initdata/dalmbuilder.tdc)
add_custom_command(
    OUTPUT ${ORVANE_PRISTINE_DB}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ORVANE_BIN_DIR}/initdata
    COMMAND orvane-mkdb ${ORVANE_PRISTINE_DB} ${ORVANE_SITEDB_SQL}
    DEPENDS orvane-mkdb ${ORVANE_SITEDB_SQL}
    COMMENT "Generating the pristine site database"
    VERBATIM)

add_custom_target(orvane_install_data ALL DEPENDS ${ORVANE_INSTALL_STAMP} ${ORVANE_PRISTINE_DB})
