# The Debian package (cpack -G DEB, run by scripts/package), its copyright file, and the man
# pages of both programs. Like the programs' messages they are Japanese unless the locale asks
# for English: the Japanese pages go to share/man/man1 (what man shows under C.UTF-8 and any
# other locale without pages of its own) and share/man/ja/man1, the English ones to
# share/man/en/man1 (what man shows under en_US.UTF-8, or with -L en).
#
# karigane's pages are made by help2man from its --help in each language. help2man writes its
# own headings in Japanese only under a Japanese locale, so ja_JP.UTF-8 is compiled into the
# build tree (LOCPATH) rather than asked of the machine. The quote site's --help is English only:
# its Japanese page is written by hand (packaging/man/ja/). Japanese pages pass through
# japanese-man-page, which makes groff break their lines as Japanese text is broken.

find_program(KARIGANE_HELP2MAN help2man)
find_program(KARIGANE_LOCALEDEF localedef)
find_program(KARIGANE_PERL perl)
if(KARIGANE_HELP2MAN AND KARIGANE_LOCALEDEF AND KARIGANE_PERL)
  set(man_dir ${CMAKE_BINARY_DIR}/man)
  set(man_locales ${man_dir}/locales)
  set(man_source ${CMAKE_SOURCE_DIR}/packaging/man)
  set(japanese_filter ${KARIGANE_PERL} ${CMAKE_SOURCE_DIR}/packaging/japanese-man-page)
  add_custom_command(
    OUTPUT ${man_locales}/ja_JP.UTF-8/LC_CTYPE
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_locales}
    COMMAND ${KARIGANE_LOCALEDEF} --quiet -i ja_JP -f UTF-8 ${man_locales}/ja_JP.UTF-8
    VERBATIM)
  # The programs run under help2man may be sanitized builds: glibc's locale loading under LOCPATH
  # leaks a few bytes at start-up, which is not the programs' to answer for.
  set(run_help2man ${CMAKE_COMMAND} -E env LOCPATH=${man_locales} ASAN_OPTIONS=detect_leaks=0
                   ${KARIGANE_HELP2MAN} --no-info --section=1)
  set(english_pages)
  set(japanese_pages)
  foreach(program karigane karigane-quote-site)
    set(page ${man_dir}/en/man1/${program}.1)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}/en/man1
      COMMAND ${run_help2man} --locale=en_US.UTF-8 --include=${man_source}/${program}.h2m
              --output=${page} $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${program} catalogues ${man_source}/${program}.h2m
      VERBATIM)
    list(APPEND english_pages ${page}.gz)
  endforeach()

  set(page ${man_dir}/ja/man1/karigane.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}/ja/man1
    COMMAND ${run_help2man} --locale=ja_JP.UTF-8 --include=${man_source}/karigane.ja.h2m
            --output=${man_dir}/karigane.ja.help2man $<TARGET_FILE:karigane>
    COMMAND ${japanese_filter} ${man_dir}/karigane.ja.help2man ${page}
    COMMAND gzip -9nf ${page}
    DEPENDS karigane ${man_locales}/ja_JP.UTF-8/LC_CTYPE ${man_source}/karigane.ja.h2m
            ${CMAKE_SOURCE_DIR}/packaging/japanese-man-page
    VERBATIM)
  list(APPEND japanese_pages ${page}.gz)
  set(page ${man_dir}/ja/man1/karigane-quote-site.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}/ja/man1
    COMMAND ${japanese_filter} ${man_source}/ja/karigane-quote-site.1 ${page}
    COMMAND gzip -9nf ${page}
    DEPENDS ${man_source}/ja/karigane-quote-site.1 ${CMAKE_SOURCE_DIR}/packaging/japanese-man-page
    VERBATIM)
  list(APPEND japanese_pages ${page}.gz)

  add_custom_target(man_pages ALL DEPENDS ${english_pages} ${japanese_pages})
  install(FILES ${english_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/en/man1)
  install(FILES ${japanese_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${japanese_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
endif()

# /usr/share/doc/karigane: the copyright file (DEP-5) and, the package being native (no Debian
# revision), its changelog.gz. The date honours SOURCE_DATE_EPOCH.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog
               @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides RENAME karigane
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME karigane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Karigane")
# The project has no mail domain of its own: .invalid says so (RFC 2606) and is a valid host.
set(CPACK_PACKAGE_CONTACT "Karigane developers <karigane@karigane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "local database of Japanese stock market data in CSV files")
set(CPACK_PACKAGE_DESCRIPTION
    "Karigane builds and keeps a local database of Japanese stock market data
in plain CSV files (CP932, CR LF): daily prices with splits, margin
balances, financial statements, the latest day's prices and split-adjusted
series. It comes as a command line for scripts and cron, a Qt window, and
karigane-quote-site, a local quote site for trying it without the outside
site. Its messages and man pages are in Japanese, or in English.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries (Qt 6 with Charts and SVG, libcurl, gumbo, SQLite, OpenSSL) come from
# dpkg-shlibdeps (libqt6svg6 for the SVG pictures of `chart --out`); the font is what the window
# needs to show Japanese text, xdg-open what it opens folders and the usage text with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-ipafont-gothic, xdg-utils")
# Qt's own buttons and choosers in Japanese; without it they stay English and all else works.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# The programs are installed without their symbol tables.
set(CPACK_STRIP_FILES ON)
include(CPack)
