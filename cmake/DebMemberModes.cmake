# Run by CPack after it has made the packages (CPACK_POST_BUILD_SCRIPTS): the three members of a
# Debian package (an ar archive: debian-binary, control.tar.gz, data.tar.gz) get mode 0644.
# CPack takes their modes from the files it has just written, so they would follow the umask of
# whoever builds; everything else in the package is fixed already. Perl is part of every Debian
# system (perl-base is essential).
set(program [=[
use strict;
my $name = $ARGV[0];
open(my $deb, '+<:raw', $name) or die "$name: $!\n";
my ($magic, $header);
read($deb, $magic, 8) == 8 && $magic eq "!<arch>\n" or die "$name: not an ar archive\n";
my $at = 8;
while (read($deb, $header, 60) == 60) {
  substr($header, 58, 2) eq "`\n" or die "$name: damaged member header at byte $at\n";
  my $size = substr($header, 48, 10);
  $size =~ /^(\d+) *$/ or die "$name: damaged member size at byte $at\n";
  seek($deb, $at + 40, 0) or die "$name: $!\n";
  print $deb sprintf('%-8s', '100644') or die "$name: $!\n";
  $at += 60 + $1 + ($1 % 2);
  seek($deb, $at, 0) or die "$name: $!\n";
}
close($deb) or die "$name: $!\n";
]=])
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.deb$")
    execute_process(COMMAND perl -e "${program}" "${package}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "Could not set the modes of the members of ${package}")
    endif()
  endif()
endforeach()
