# The Debian package (cpack -G DEB, run by scripts/package) and the man pages of both programs,
# made from their --help and --version by help2man when it is installed.

find_program(KARIGANE_HELP2MAN help2man)
if(KARIGANE_HELP2MAN)
  set(man_pages)
  foreach(program karigane karigane-quote-site)
    if(program STREQUAL "karigane")
      set(summary "build and keep a local database of Japanese stock market data")
    else()
      set(summary "the local quote site for Karigane, a real HTTP server on 127.0.0.1")
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${KARIGANE_HELP2MAN} --locale=C.UTF-8 --no-info --section=1 --name=${summary}
              --output=${page} $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${program}
      VERBATIM)
    list(APPEND man_pages ${page}.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME karigane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Karigane")
set(CPACK_PACKAGE_CONTACT "Karigane developers <karigane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "local database of Japanese stock market data in CSV files, with its own quote site")
set(CPACK_PACKAGE_DESCRIPTION
    "Karigane builds and keeps a local database of Japanese stock market data in plain CSV files
(CP932, CR LF): daily prices with splits, margin balances, financial statements, the latest
day's prices and split-adjusted series. It comes as a command line for scripts and cron, a Qt
window, and karigane-quote-site, a local quote site for trying it without the outside site.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries (Qt 6 with Charts and SVG, libcurl, gumbo, SQLite, OpenSSL) come from
# dpkg-shlibdeps (libqt6svg6 for the SVG pictures of `chart --out`); the font is
# what the window needs to show Japanese text.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-ipafont-gothic")
include(CPack)
