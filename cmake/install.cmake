# What `cmake --install` puts where, and the Debian package CPack makes of it. Paths are relative
# to the prefix. The plugins go to lib/tarnel/ (never a multiarch folder), where the programs
# look for them: ../lib/tarnel/ from their own folder.

install(TARGETS tarnel tarnel-check RUNTIME DESTINATION bin)
get_property(tarnel_plugins GLOBAL PROPERTY TARNEL_PLUGINS)
install(TARGETS ${tarnel_plugins} LIBRARY DESTINATION lib/tarnel)

install(FILES docs/tarnel.1 docs/tarnel-check.1 DESTINATION share/man/man1)
file(GLOB tarnel_documents CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES README.md ${tarnel_documents} DESTINATION share/doc/tarnel)
install(DIRECTORY examples DESTINATION share/doc/tarnel)

install(FILES editors/vim/syntax/tarnel.vim DESTINATION share/vim/vimfiles/syntax)
install(FILES editors/vim/ftdetect/tarnel.vim DESTINATION share/vim/vimfiles/ftdetect)
install(DIRECTORY editors/vscode DESTINATION share/tarnel/editors)
# One completion script serves both programs; bash-completion loads it by command name.
install(FILES editors/bash-completion/tarnel DESTINATION share/bash-completion/completions)
install(FILES editors/bash-completion/tarnel DESTINATION share/bash-completion/completions
        RENAME tarnel-check)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tarnel developers <tarnel@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION interpreters)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Runtime dependencies from the installed programs and plugins: SDL2, ICU and libedit come in
# through the plugins that link them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small dynamically typed scripting language")
# The summary is the Description's first line; CPack indents the lines below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tarnel is a small scripting language for short scripts, games and tiny web pages:
integers, floats, strings, booleans, arrays and dictionaries copied by value, functions with
dynamic scoping, modules, an interactive shell with line editing and history, an HTTP server
and client, and a window with 2-D drawing.

This package holds the interpreter tarnel, the static checker tarnel-check, their manual
pages, the guide and reference, examples, Vim and VS Code syntax files and bash completion.")
include(CPack)
