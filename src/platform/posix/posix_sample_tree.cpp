// The first-start sample tree below c:\4nec2\: folders, the sample dipole deck, its output in
// the classic print layout, a range file and the engine launchers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/posix_internal.hpp"
#include "platform/posix/posix_platform.hpp"

using namespace posix_detail;

namespace {

// A half-wave dipole for 14.2 MHz in free space with a small grid of field points around it.
constexpr const char* kDipoleDeck =
    "CM Half-wave dipole for 14.2 MHz in free space\r\n"
    "CM Vertical wire along Z, fed in the centre segment\r\n"
    "CE\r\n"
    "GW 1 21 0 0 -5.0 0 0 5.0 0.001\r\n"
    "GE 0\r\n"
    "EX 0 1 11 0 1 0\r\n"
    "FR 0 1 0 0 14.2 0\r\n"
    "NE 0 5 1 3 2 0 0 2 0 2\r\n"
    "EN\r\n";

// The output of that deck in the classic print layout (the numbers of a real run).
constexpr const char* kDipoleOutput = R"OUT(


                               __________________________________________
                              |                                          |
                              |  NUMERICAL ELECTROMAGNETICS CODE         |
                              |__________________________________________|


                               ---------------- COMMENTS ----------------
                               HALF-WAVE DIPOLE FOR 14.2 MHZ IN FREE SPACE
                               VERTICAL WIRE ALONG Z, FED IN THE CENTRE SEGMENT


                               -------- STRUCTURE SPECIFICATION --------
                                     COORDINATES MUST BE INPUT IN
                                     METERS OR BE SCALED TO METERS
                                     BEFORE STRUCTURE INPUT IS ENDED

  WIRE                                                                                 SEG FIRST  LAST  TAG
   NO.        X1         Y1         Z1         X2         Y2         Z2       RADIUS   NO.   SEG   SEG  NO.
     1     0.00000    0.00000   -5.00000    0.00000    0.00000    5.00000    0.00100    21     1    21    1

     TOTAL SEGMENTS USED=   21     NO. SEG. IN A SYMMETRIC CELL=   21     SYMMETRY FLAG=  0


                               ---------- SEGMENTATION DATA ----------
                                        COORDINATES IN METERS
                            I+ AND I- INDICATE THE SEGMENTS BEFORE AND AFTER I

   SEG    COORDINATES OF SEGM CENTER     SEGM    ORIENTATION ANGLES    WIRE    CONNECTION DATA   TAG
   NO.       X         Y         Z      LENGTH     ALPHA      BETA    RADIUS    I-     I    I+   NO.
     1    0.0000    0.0000   -4.7619    0.4762   90.0000    0.0000    0.0010     0     1     2     1
     2    0.0000    0.0000   -4.2857    0.4762   90.0000    0.0000    0.0010     1     2     3     1
     3    0.0000    0.0000   -3.8095    0.4762   90.0000    0.0000    0.0010     2     3     4     1
     4    0.0000    0.0000   -3.3333    0.4762   90.0000    0.0000    0.0010     3     4     5     1
     5    0.0000    0.0000   -2.8571    0.4762   90.0000    0.0000    0.0010     4     5     6     1
     6    0.0000    0.0000   -2.3810    0.4762   90.0000    0.0000    0.0010     5     6     7     1
     7    0.0000    0.0000   -1.9048    0.4762   90.0000    0.0000    0.0010     6     7     8     1
     8    0.0000    0.0000   -1.4286    0.4762   90.0000    0.0000    0.0010     7     8     9     1
     9    0.0000    0.0000   -0.9524    0.4762   90.0000    0.0000    0.0010     8     9    10     1
    10    0.0000    0.0000   -0.4762    0.4762   90.0000    0.0000    0.0010     9    10    11     1
    11    0.0000    0.0000    0.0000    0.4762   90.0000    0.0000    0.0010    10    11    12     1
    12    0.0000    0.0000    0.4762    0.4762   90.0000    0.0000    0.0010    11    12    13     1
    13    0.0000    0.0000    0.9524    0.4762   90.0000    0.0000    0.0010    12    13    14     1
    14    0.0000    0.0000    1.4286    0.4762   90.0000    0.0000    0.0010    13    14    15     1
    15    0.0000    0.0000    1.9048    0.4762   90.0000    0.0000    0.0010    14    15    16     1
    16    0.0000    0.0000    2.3810    0.4762   90.0000    0.0000    0.0010    15    16    17     1
    17    0.0000    0.0000    2.8571    0.4762   90.0000    0.0000    0.0010    16    17    18     1
    18    0.0000    0.0000    3.3333    0.4762   90.0000    0.0000    0.0010    17    18    19     1
    19    0.0000    0.0000    3.8095    0.4762   90.0000    0.0000    0.0010    18    19    20     1
    20    0.0000    0.0000    4.2857    0.4762   90.0000    0.0000    0.0010    19    20    21     1
    21    0.0000    0.0000    4.7619    0.4762   90.0000    0.0000    0.0010    20    21     0     1



  ***** DATA CARD NO.   1 EX   0     1    11     0  1.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00
  ***** DATA CARD NO.   2 FR   0     1     0     0  1.42000E+01  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00
  ***** DATA CARD NO.   3 NE   0     5     1     3  2.00000E+00  0.00000E+00  0.00000E+00  2.00000E+00  0.00000E+00  2.00000E+00


                               --------- FREQUENCY --------
                                FREQUENCY= 1.4200E+01 MHZ
                                WAVELENGTH= 2.1113E+01 METERS

                        APPROXIMATE INTEGRATION EMPLOYED FOR SEGMENTS MORE THAN  1.000 WAVELENGTHS APART


                          ------ STRUCTURE IMPEDANCE LOADING ------
                                 THIS STRUCTURE IS NOT LOADED


                            -------- ANTENNA ENVIRONMENT --------
                            FREE SPACE


                             ---------- MATRIX TIMING ----------
                               FILL=     0.000 SEC.,  FACTOR=     0.000 SEC.


                        --------- ANTENNA INPUT PARAMETERS ---------

  TAG   SEG.    VOLTAGE (VOLTS)           CURRENT (AMPS)          IMPEDANCE (OHMS)         ADMITTANCE (MHOS)      POWER
  NO.   NO.    REAL       IMAG.          REAL       IMAG.          REAL       IMAG.          REAL       IMAG.     (WATTS)
     1    11 1.00000E+00 0.00000E+00 1.16670E-02 6.15080E-03 6.70710E+01-3.53610E+01 1.16670E-02 6.15080E-03 5.83340E-03


                           -------- CURRENTS AND LOCATION --------

                                  DISTANCES IN WAVELENGTHS


   SEG.  TAG    COORD. OF SEG. CENTER     SEG.            - - - CURRENT (AMPS) - - -
   NO.   NO.     X        Y        Z      LENGTH     REAL        IMAG.       MAGN.       PHASE
     1    1   0.0000   0.0000  -0.2255  0.02255   1.0523E-03  4.6950E-04  1.1523E-03   24.046
     2    1   0.0000   0.0000  -0.2030  0.02255   2.9052E-03  1.3119E-03  3.1877E-03   24.302
     3    1   0.0000   0.0000  -0.1804  0.02255   4.5896E-03  2.0987E-03  5.0467E-03   24.573
     4    1   0.0000   0.0000  -0.1579  0.02255   6.1345E-03  2.8423E-03  6.7610E-03   24.860
     5    1   0.0000   0.0000  -0.1353  0.02255   7.5260E-03  3.5360E-03  8.3152E-03   25.166
     6    1   0.0000   0.0000  -0.1128  0.02255   8.7448E-03  4.1707E-03  9.6884E-03   25.498
     7    1   0.0000   0.0000  -0.0902  0.02255   9.7717E-03  4.7369E-03  1.0859E-02   25.862
     8    1   0.0000   0.0000  -0.0677  0.02255   1.0590E-02  5.2264E-03  1.1809E-02   26.268
     9    1   0.0000   0.0000  -0.0451  0.02255   1.1184E-02  5.6329E-03  1.2523E-02   26.731
    10    1   0.0000   0.0000  -0.0226  0.02255   1.1546E-02  5.9553E-03  1.2991E-02   27.285
    11    1   0.0000   0.0000   0.0000  0.02255   1.1667E-02  6.1508E-03  1.3189E-02   27.799
    12    1   0.0000   0.0000   0.0226  0.02255   1.1546E-02  5.9553E-03  1.2991E-02   27.285
    13    1   0.0000   0.0000   0.0451  0.02255   1.1184E-02  5.6329E-03  1.2523E-02   26.731
    14    1   0.0000   0.0000   0.0677  0.02255   1.0590E-02  5.2264E-03  1.1809E-02   26.268
    15    1   0.0000   0.0000   0.0902  0.02255   9.7717E-03  4.7369E-03  1.0859E-02   25.862
    16    1   0.0000   0.0000   0.1128  0.02255   8.7448E-03  4.1707E-03  9.6884E-03   25.498
    17    1   0.0000   0.0000   0.1353  0.02255   7.5260E-03  3.5360E-03  8.3152E-03   25.166
    18    1   0.0000   0.0000   0.1579  0.02255   6.1345E-03  2.8423E-03  6.7610E-03   24.860
    19    1   0.0000   0.0000   0.1804  0.02255   4.5896E-03  2.0987E-03  5.0467E-03   24.573
    20    1   0.0000   0.0000   0.2030  0.02255   2.9052E-03  1.3119E-03  3.1877E-03   24.302
    21    1   0.0000   0.0000   0.2255  0.02255   1.0523E-03  4.6950E-04  1.1523E-03   24.046


                               ---------- POWER BUDGET ---------
                               INPUT POWER   = 5.8334E-03 WATTS
                               RADIATED POWER= 5.8334E-03 WATTS
                               STRUCTURE LOSS= 0.0000E+00 WATTS
                               NETWORK LOSS  = 0.0000E+00 WATTS
                               EFFICIENCY    =  100.00 PERCENT


                             -------- NEAR ELECTRIC FIELDS --------

     ------- LOCATION -------     ------- EX ------    ------- EY ------    ------- EZ ------
      X         Y         Z       MAGNITUDE   PHASE    MAGNITUDE   PHASE    MAGNITUDE   PHASE
    METERS    METERS    METERS     VOLTS/M  DEGREES    VOLTS/M   DEGREES     VOLTS/M  DEGREES
    2.0000    0.0000    0.0000   4.3364E-10   75.65   0.0000E+00    0.00   1.4200E-01 -163.85
    4.0000    0.0000    0.0000   1.3967E-10   87.29   0.0000E+00    0.00   1.1619E-01 -177.71
    6.0000    0.0000    0.0000   6.4590E-11   80.80   0.0000E+00    0.00   9.5459E-02  159.69
    8.0000    0.0000    0.0000   3.6364E-11   65.65   0.0000E+00    0.00   7.9282E-02  132.75
   10.0000    0.0000    0.0000   2.3204E-11   44.94   0.0000E+00    0.00   6.7051E-02  103.43
    2.0000    0.0000    2.0000   1.9679E-01  -63.20   0.0000E+00    0.00   1.2755E-01 -150.93
    4.0000    0.0000    2.0000   7.0863E-02  -69.82   0.0000E+00    0.00   1.0714E-01 -172.48
    6.0000    0.0000    2.0000   3.5293E-02  -81.75   0.0000E+00    0.00   8.8922E-02  161.05
    8.0000    0.0000    2.0000   2.0935E-02  -99.10   0.0000E+00    0.00   7.4903E-02  132.39
   10.0000    0.0000    2.0000   1.3825E-02 -120.75   0.0000E+00    0.00   6.4145E-02  102.35
    2.0000    0.0000    4.0000   2.6354E-01  -65.92   0.0000E+00    0.00   1.4677E-01 -114.31
    4.0000    0.0000    4.0000   9.9020E-02  -72.81   0.0000E+00    0.00   9.0279E-02 -158.30
    6.0000    0.0000    4.0000   5.4184E-02  -85.94   0.0000E+00    0.00   7.3367E-02  164.20
    8.0000    0.0000    4.0000   3.4552E-02 -104.09   0.0000E+00    0.00   6.3814E-02  130.87
   10.0000    0.0000    4.0000   2.3977E-02 -126.02   0.0000E+00    0.00   5.6504E-02   98.92



***** DATA CARD NO.   4 EN   0     0     0     0  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00

       RUN TIME =     0.000
)OUT";

constexpr const char* kRangeFile = "7,01\r\n14,2\r\n21\r\n";

std::string WithCrLf(const char* text) {
  std::string result;
  for (const char* p = text; *p; ++p) {
    if (*p == '\n') result += '\r';
    result += *p;
  }
  return result;
}

// Creates the file with the bytes unless something of that name exists already.
void WriteNew(const std::string& path, const std::string& bytes, mode_t mode) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return;
  std::size_t written = 0;
  while (written < bytes.size()) {
    ssize_t put = write(fd, bytes.data() + written, bytes.size() - written);
    if (put < 0) {
      if (errno == EINTR) continue;
      break;
    }
    written += static_cast<std::size_t>(put);
  }
  close(fd);
  if (written < bytes.size()) unlink(path.c_str());  // no half-written sample
}

// mkdir -p; existing folders are fine.
void MakeFolders(const std::string& nativePath) {
  std::string path;
  for (const std::string& part : NativeComponents(nativePath)) {
    path += "/" + part;
    mkdir(path.c_str(), 0777);
  }
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string LauncherScript(const std::string& engine) {
  return "#!/bin/sh\n"
         "# Engine launcher of the Varnel sample tree: runs the NEC2 engine stand-in with the\n"
         "# parameter text as it came (deck path, output path).\n"
         "engine=" + ShellQuoted(engine) + "\n"
         "if [ ! -x \"$engine\" ]; then engine=varnel_engine; fi\n"
         "exec \"$engine\" \"$@\"\n";
}

}  // namespace

void PosixPlatform::CreateSampleTree() {
  const std::string root = Native("c:\\4nec2");
  MakeFolders(root);
  // The folders keep whatever letter case they already have on disk.
  for (const char* folder : {"c:\\4nec2\\exe", "c:\\4nec2\\b_in", "c:\\4nec2\\b_in\\Ranges", "c:\\4nec2\\b_out",
                             "c:\\4nec2\\out"}) {
    mkdir(Native(folder).c_str(), 0777);
  }
  WriteNew(Native("c:\\4nec2\\b_in\\dipol.nec"), kDipoleDeck, 0666);
  WriteNew(Native("c:\\4nec2\\out\\dipol.out"), WithCrLf(kDipoleOutput), 0666);
  WriteNew(Native("c:\\4nec2\\b_in\\Ranges\\Range01 Test.txt"), kRangeFile, 0666);

  // The launchers start the stand-in that lies beside the running program.
  std::string engine = "varnel_engine";
  std::string self(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", self.data(), self.size());
  if (length > 0) {
    self.resize(static_cast<std::size_t>(length));
    engine = self.substr(0, self.rfind('/') + 1) + "varnel_engine";
  }
  const std::string script = LauncherScript(engine);
  for (const char* launcher : {"c:\\4nec2\\exe\\nec2dxs1k5.exe", "c:\\4nec2\\exe\\nec2dxs5k0.exe",
                               "c:\\4nec2\\exe\\nec2dxs11k.exe"}) {
    WriteNew(Native(launcher), script, 0777);
  }
}
