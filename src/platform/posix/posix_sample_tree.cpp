// The first-start sample tree below c:\4nec2\: folders, the sample dipole deck, its output in
// the classic print layout, a range file and the engine launchers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/posix_internal.hpp"
#include "platform/posix/posix_sample_tree.hpp"
#include "util/tree.hpp"

using namespace posix_detail;

namespace {

// A half-wave dipole for 14.2 MHz in free space with a grid of field points around it that holds
// the default point P (10|0|4), the line through A (10|0) and the plane y = 10.
constexpr const char* kDipoleDeck =
    "CM Half-wave dipole for 14.2 MHz in free space\r\n"
    "CM Vertical wire along Z, fed in the centre segment\r\n"
    "CE\r\n"
    "GW 1 21 0 0 -5.0 0 0 5.0 0.001\r\n"
    "GE 0\r\n"
    "EX 0 1 11 0 1 0\r\n"
    "FR 0 1 0 0 14.2 0\r\n"
    "NE 0 6 6 3 0 0 0 2 2 2\r\n"
    "EN\r\n";

// The output of that deck as the engine stand-in writes it; used when the stand-in cannot run.
constexpr const char* kDipoleOutput = R"OUT(


                               __________________________________________
                              |                                          |
                              |  NUMERICAL ELECTROMAGNETICS CODE (nec2c) |
                              |   Translated to 'C' in Double Precision  |
                              |__________________________________________|



                               ---------------- COMMENTS ----------------
                               Half-wave dipole for 14.2 MHz in free space
                               Vertical wire along Z, fed in the centre segment
                              



                               -------- STRUCTURE SPECIFICATION --------
                                     COORDINATES MUST BE INPUT IN
                                     METERS OR BE SCALED TO METERS
                                     BEFORE STRUCTURE INPUT IS ENDED

  WIRE                                                                                 SEG FIRST  LAST  TAG
   No:        X1         Y1         Z1         X2         Y2         Z2       RADIUS   No:   SEG   SEG  No:
     1     0.00000    0.00000   -5.00000    0.00000    0.00000    5.00000    0.00100    21     1    21    1

     TOTAL SEGMENTS USED: 21   SEGMENTS IN A SYMMETRIC CELL: 21   SYMMETRY FLAG: 0


                               ---------- SEGMENTATION DATA ----------
                                        COORDINATES IN METERS
                            I+ AND I- INDICATE THE SEGMENTS BEFORE AND AFTER I

   SEG    COORDINATES OF SEGM CENTER     SEGM    ORIENTATION ANGLES    WIRE    CONNECTION DATA   TAG
   No:       X         Y         Z      LENGTH     ALPHA      BETA    RADIUS    I-     I    I+   No:
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



  DATA CARD No:   1 EX   0     1    11     0  1.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00
  DATA CARD No:   2 FR   0     1     0     0  1.42000E+01  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00
  DATA CARD No:   3 NE   0     6     6     3  0.00000E+00  0.00000E+00  0.00000E+00  2.00000E+00  2.00000E+00  2.00000E+00


                               --------- FREQUENCY --------
                                FREQUENCY= 1.4200E+01 MHZ
                                WAVELENGTH= 2.1113E+01 METERS

                        APPROXIMATE INTEGRATION EMPLOYED FOR SEGMENTS 
                        THAT ARE MORE THAN 1.000 WAVELENGTHS APART


                          ------ STRUCTURE IMPEDANCE LOADING ------
                                 THIS STRUCTURE IS NOT LOADED


                            -------- ANTENNA ENVIRONMENT --------
                            FREE SPACE


                             ---------- MATRIX TIMING ----------
                               FILL: 0 msec  FACTOR: 0 msec


                        --------- ANTENNA INPUT PARAMETERS ---------

   TAG   SEG    VOLTAGE (VOLTS)          CURRENT (AMPS)         IMPEDANCE (OHMS)       ADMITTANCE (MHOS)       POWER
   NO.   NO.    REAL     IMAGINARY      REAL     IMAGINARY      REAL     IMAGINARY      REAL     IMAGINARY    (WATTS)
     1    11 1.00000E+00 0.00000E+00 1.16670E-02 6.15080E-03 6.70710E+01-3.53610E+01 1.16670E-02 6.15080E-03 5.83340E-03


                           -------- CURRENTS AND LOCATION --------

                                  DISTANCES IN WAVELENGTHS


   SEG  TAG  COORDINATES OF SEGM CENTER    SEGM  ------------- CURRENT (AMPS) -------------
   NO.  NO.        X        Y        Z   LENGTH         REAL   IMAGINARY        MAGN    PHASE
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
                               EFFICIENCY    =  100.00 Percent


                             -------- NEAR ELECTRIC FIELDS --------

     ------- LOCATION -------     ------- EX ------    ------- EY ------    ------- EZ ------
      X         Y         Z       MAGNITUDE   PHASE    MAGNITUDE   PHASE    MAGNITUDE   PHASE
    METERS    METERS    METERS     VOLTS/M  DEGREES    VOLTS/M   DEGREES     VOLTS/M  DEGREES
    0.0000    0.0000    0.0000   0.0000E+00    0.00   0.0000E+00    0.00   2.1000E+00  180.00
    2.0000    0.0000    0.0000   4.3364E-10   75.65   0.0000E+00    0.00   1.4200E-01 -163.85
    4.0000    0.0000    0.0000   1.3967E-10   87.29   0.0000E+00    0.00   1.1619E-01 -177.71
    6.0000    0.0000    0.0000   6.4590E-11   80.80   0.0000E+00    0.00   9.5459E-02  159.69
    8.0000    0.0000    0.0000   3.6364E-11   65.65   0.0000E+00    0.00   7.9282E-02  132.75
   10.0000    0.0000    0.0000   2.3204E-11   44.94   0.0000E+00    0.00   6.7051E-02  103.43
    0.0000    2.0000    0.0000   0.0000E+00    0.00   4.3364E-10   75.65   1.4200E-01 -163.85
    2.0000    2.0000    0.0000   1.7875E-10   84.26   1.7875E-10   84.26   1.3029E-01 -168.03
    4.0000    2.0000    0.0000   1.0176E-10   86.79   5.0879E-11   86.79   1.1090E-01  177.52
    6.0000    2.0000    0.0000   5.5208E-11   78.83   1.8403E-11   78.83   9.2527E-02  155.54
    8.0000    2.0000    0.0000   3.3191E-11   63.36   8.2978E-12   63.36   7.7584E-02  129.24
   10.0000    2.0000    0.0000   2.1872E-11   42.66   4.3744E-12   42.66   6.6016E-02  100.44
    0.0000    4.0000    0.0000   0.0000E+00    0.00   1.3967E-10   87.29   1.1619E-01 -177.71
    2.0000    4.0000    0.0000   5.0879E-11   86.79   1.0176E-10   86.79   1.1090E-01  177.52
    4.0000    4.0000    0.0000   5.1279E-11   82.65   5.1279E-11   82.65   9.8693E-02  163.95
    6.0000    4.0000    0.0000   3.7269E-11   72.43   2.4846E-11   72.43   8.5137E-02  143.74
    8.0000    4.0000    0.0000   2.5983E-11   56.43   1.2991E-11   56.43   7.3079E-02  119.13
   10.0000    4.0000    0.0000   1.8554E-11   35.91   7.4218E-12   35.91   6.3175E-02   91.74
    0.0000    6.0000    0.0000   0.0000E+00    0.00   6.4590E-11   80.80   9.5459E-02  159.69
    2.0000    6.0000    0.0000   1.8403E-11   78.83   5.5208E-11   78.83   9.2527E-02  155.54
    4.0000    6.0000    0.0000   2.4846E-11   72.43   3.7269E-11   72.43   8.5137E-02  143.74
    6.0000    6.0000    0.0000   2.2840E-11   61.05   2.2840E-11   61.05   7.5990E-02  125.80
    8.0000    6.0000    0.0000   1.8563E-11   44.94   1.3922E-11   44.94   6.7051E-02  103.43
   10.0000    6.0000    0.0000   1.4602E-11   24.89   8.7614E-12   24.89   5.9160E-02   77.99
    0.0000    8.0000    0.0000   0.0000E+00    0.00   3.6364E-11   65.65   7.9282E-02  132.75
    2.0000    8.0000    0.0000   8.2978E-12   63.36   3.3191E-11   63.36   7.7584E-02  129.24
    4.0000    8.0000    0.0000   1.2991E-11   56.43   2.5983E-11   56.43   7.3079E-02  119.13
    6.0000    8.0000    0.0000   1.3922E-11   44.94   1.8563E-11   44.94   6.7051E-02  103.43
    8.0000    8.0000    0.0000   1.2798E-11   29.26   1.2798E-11   29.26   6.0672E-02   83.38
   10.0000    8.0000    0.0000   1.1017E-11   10.01   8.8135E-12   10.01   5.4640E-02   60.07
    0.0000   10.0000    0.0000   0.0000E+00    0.00   2.3204E-11   44.94   6.7051E-02  103.43
    2.0000   10.0000    0.0000   4.3744E-12   42.66   2.1872E-11   42.66   6.6016E-02  100.44
    4.0000   10.0000    0.0000   7.4218E-12   35.91   1.8554E-11   35.91   6.3175E-02   91.74
    6.0000   10.0000    0.0000   8.7614E-12   24.89   1.4602E-11   24.89   5.9160E-02   77.99
    8.0000   10.0000    0.0000   8.8135E-12   10.01   1.1017E-11   10.01   5.4640E-02   60.07
   10.0000   10.0000    0.0000   8.1738E-12   -8.19   8.1738E-12   -8.19   5.0112E-02   38.86
    0.0000    0.0000    2.0000   0.0000E+00    0.00   0.0000E+00    0.00   3.4399E-03  -43.49
    2.0000    0.0000    2.0000   1.9679E-01  -63.20   0.0000E+00    0.00   1.2755E-01 -150.93
    4.0000    0.0000    2.0000   7.0863E-02  -69.82   0.0000E+00    0.00   1.0714E-01 -172.48
    6.0000    0.0000    2.0000   3.5293E-02  -81.75   0.0000E+00    0.00   8.8922E-02  161.05
    8.0000    0.0000    2.0000   2.0935E-02  -99.10   0.0000E+00    0.00   7.4903E-02  132.39
   10.0000    0.0000    2.0000   1.3825E-02 -120.75   0.0000E+00    0.00   6.4145E-02  102.35
    0.0000    2.0000    2.0000   0.0000E+00    0.00   1.9679E-01  -63.20   1.2755E-01 -150.93
    2.0000    2.0000    2.0000   8.6020E-02  -65.40   8.6020E-02  -65.40   1.1953E-01 -158.87
    4.0000    2.0000    2.0000   5.2634E-02  -72.12   2.6317E-02  -72.12   1.0244E-01 -178.45
    6.0000    2.0000    2.0000   3.0469E-02  -84.22   1.0156E-02  -84.22   8.6383E-02  156.52
    8.0000    2.0000    2.0000   1.9205E-02 -101.56   4.8013E-03 -101.56   7.3422E-02  128.75
   10.0000    2.0000    2.0000   1.3067E-02 -123.08   2.6134E-03 -123.08   6.3222E-02   99.32
    0.0000    4.0000    2.0000   0.0000E+00    0.00   7.0863E-02  -69.82   1.0714E-01 -172.48
    2.0000    4.0000    2.0000   2.6317E-02  -72.12   5.2634E-02  -72.12   1.0244E-01 -178.45
    4.0000    4.0000    2.0000   2.7708E-02  -79.29   2.7708E-02  -79.29   9.1728E-02  165.78
    6.0000    4.0000    2.0000   2.1072E-02  -91.67   1.4048E-02  -91.67   7.9989E-02  143.89
    8.0000    4.0000    2.0000   1.5230E-02 -108.87   7.6151E-03 -108.87   6.9475E-02  118.35
   10.0000    4.0000    2.0000   1.1165E-02 -129.96   4.4658E-03 -129.96   6.0681E-02   90.51
    0.0000    6.0000    2.0000   0.0000E+00    0.00   3.5293E-02  -81.75   8.8922E-02  161.05
    2.0000    6.0000    2.0000   1.0156E-02  -84.22   3.0469E-02  -84.22   8.6383E-02  156.52
    4.0000    6.0000    2.0000   1.4048E-02  -91.67   2.1072E-02  -91.67   7.9989E-02  143.89
    6.0000    6.0000    2.0000   1.3277E-02 -104.01   1.3277E-02 -104.01   7.2030E-02  125.21
    8.0000    6.0000    2.0000   1.1060E-02 -120.75   8.2950E-03 -120.75   6.4145E-02  102.35
   10.0000    6.0000    2.0000   8.8721E-03 -141.12   5.3233E-03 -141.12   5.7061E-02   76.65
    0.0000    8.0000    2.0000   0.0000E+00    0.00   2.0935E-02  -99.10   7.4903E-02  132.39
    2.0000    8.0000    2.0000   4.8013E-03 -101.56   1.9205E-02 -101.56   7.3422E-02  128.75
    4.0000    8.0000    2.0000   7.6151E-03 -108.87   1.5230E-02 -108.87   6.9475E-02  118.35
    6.0000    8.0000    2.0000   8.2950E-03 -120.75   1.1060E-02 -120.75   6.4145E-02  102.35
    8.0000    8.0000    2.0000   7.7482E-03 -136.71   7.7482E-03 -136.71   5.8428E-02   82.08
   10.0000    8.0000    2.0000   6.7627E-03 -156.10   5.4102E-03 -156.10   5.2944E-02   58.66
    0.0000   10.0000    2.0000   0.0000E+00    0.00   1.3825E-02 -120.75   6.4145E-02  102.35
    2.0000   10.0000    2.0000   2.6134E-03 -123.08   1.3067E-02 -123.08   6.3222E-02   99.32
    4.0000   10.0000    2.0000   4.4658E-03 -129.96   1.1165E-02 -129.96   6.0681E-02   90.51
    6.0000   10.0000    2.0000   5.3233E-03 -141.12   8.8721E-03 -141.12   5.7061E-02   76.65
    8.0000   10.0000    2.0000   5.4102E-03 -156.10   6.7627E-03 -156.10   5.2944E-02   58.66
   10.0000   10.0000    2.0000   5.0659E-03 -174.35   5.0659E-03 -174.35   4.8772E-02   37.41
    0.0000    0.0000    4.0000   0.0000E+00    0.00   0.0000E+00    0.00   3.8211E-02  -65.02
    2.0000    0.0000    4.0000   2.6354E-01  -65.92   0.0000E+00    0.00   1.4677E-01 -114.31
    4.0000    0.0000    4.0000   9.9020E-02  -72.81   0.0000E+00    0.00   9.0279E-02 -158.30
    6.0000    0.0000    4.0000   5.4184E-02  -85.94   0.0000E+00    0.00   7.3367E-02  164.20
    8.0000    0.0000    4.0000   3.4552E-02 -104.09   0.0000E+00    0.00   6.3814E-02  130.87
   10.0000    0.0000    4.0000   2.3977E-02 -126.02   0.0000E+00    0.00   5.6504E-02   98.92
    0.0000    2.0000    4.0000   0.0000E+00    0.00   2.6354E-01  -65.92   1.4677E-01 -114.31
    2.0000    2.0000    4.0000   1.1497E-01  -67.96   1.1497E-01  -67.96   1.1317E-01 -133.01
    4.0000    2.0000    4.0000   7.5245E-02  -75.39   3.7623E-02  -75.39   8.4861E-02 -167.75
    6.0000    2.0000    4.0000   4.7414E-02  -88.58   1.5805E-02  -88.58   7.1560E-02  158.60
    8.0000    2.0000    4.0000   3.1926E-02 -106.61   7.9814E-03 -106.61   6.2826E-02  126.90
   10.0000    2.0000    4.0000   2.2752E-02 -128.36   4.5503E-03 -128.36   5.5856E-02   95.78
    0.0000    4.0000    4.0000   0.0000E+00    0.00   9.9020E-02  -72.81   9.0279E-02 -158.30
    2.0000    4.0000    4.0000   3.7623E-02  -75.39   7.5245E-02  -75.39   8.4861E-02 -167.75
    4.0000    4.0000    4.0000   4.1904E-02  -83.29   4.1904E-02  -83.29   7.5449E-02  170.22
    6.0000    4.0000    4.0000   3.3904E-02  -96.41   2.2602E-02  -96.41   6.7202E-02  143.74
    8.0000    4.0000    4.0000   2.5794E-02 -114.04   1.2897E-02 -114.04   6.0172E-02  115.71
   10.0000    4.0000    4.0000   1.9647E-02 -135.25   7.8588E-03 -135.25   5.4049E-02   86.70
    0.0000    6.0000    4.0000   0.0000E+00    0.00   5.4184E-02  -85.94   7.3367E-02  164.20
    2.0000    6.0000    4.0000   1.5805E-02  -88.58   4.7414E-02  -88.58   7.1560E-02  158.60
    4.0000    6.0000    4.0000   2.2602E-02  -96.41   3.3904E-02  -96.41   6.7202E-02  143.74
    6.0000    6.0000    4.0000   2.2219E-02 -109.11   2.2219E-02 -109.11   6.1894E-02  123.06
    8.0000    6.0000    4.0000   1.9182E-02 -126.02   1.4386E-02 -126.02   5.6504E-02   98.92
   10.0000    6.0000    4.0000   1.5840E-02 -146.38   9.5039E-03 -146.38   5.1413E-02   72.56
    0.0000    8.0000    4.0000   0.0000E+00    0.00   3.4552E-02 -104.09   6.3814E-02  130.87
    2.0000    8.0000    4.0000   7.9814E-03 -106.61   3.1926E-02 -106.61   6.2826E-02  126.90
    4.0000    8.0000    4.0000   1.2897E-02 -114.04   2.5794E-02 -114.04   6.0172E-02  115.71
    6.0000    8.0000    4.0000   1.4386E-02 -126.02   1.9182E-02 -126.02   5.6504E-02   98.92
    8.0000    8.0000    4.0000   1.3759E-02 -141.98   1.3759E-02 -141.98   5.2418E-02   78.09
   10.0000    8.0000    4.0000   1.2262E-02 -161.27   9.8093E-03 -161.27   4.8319E-02   54.38
    0.0000   10.0000    4.0000   0.0000E+00    0.00   2.3977E-02 -126.02   5.6504E-02   98.92
    2.0000   10.0000    4.0000   4.5503E-03 -128.36   2.2752E-02 -128.36   5.5856E-02   95.78
    4.0000   10.0000    4.0000   7.8588E-03 -135.25   1.9647E-02 -135.25   5.4049E-02   86.70
    6.0000   10.0000    4.0000   9.5039E-03 -146.38   1.5840E-02 -146.38   5.1413E-02   72.56
    8.0000   10.0000    4.0000   9.8093E-03 -161.27   1.2262E-02 -161.27   4.8319E-02   54.38
   10.0000   10.0000    4.0000   9.3197E-03 -179.37   9.3197E-03 -179.37   4.5073E-02   33.05



  DATA CARD No:   4 EN   0     0     0     0  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00

  TOTAL RUN TIME: 0 msec
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

void CreateSampleTree(PosixSystem& system) {
  auto Native = [&system](const std::string& path) { return system.ToNativePath(path); };
  const std::string root = Native("c:\\4nec2");
  MakeFolders(root);
  // The folders keep whatever letter case they already have on disk.
  for (const char* folder : {kExeFolder, kDeckFolder, kRangeFolder, kOutputFolder, kSingleOutputFolder}) {
    mkdir(Native(folder).c_str(), 0777);
  }
  WriteNew(Native(kSampleDeck), kDipoleDeck, 0666);
  WriteNew(Native(kSampleRange), kRangeFile, 0666);

  // The launchers start the stand-in that lies beside the running program.
  std::string engine = "varnel_engine";
  std::string self(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", self.data(), self.size());
  if (length > 0) {
    self.resize(static_cast<std::size_t>(length));
    engine = self.substr(0, self.rfind('/') + 1) + "varnel_engine";
  }
  const std::string script = LauncherScript(engine);
  for (const char* launcher : kEngineExecutables) {
    WriteNew(Native(launcher), script, 0777);
  }

  // The sample output is made by the engine from the sample deck; where the engine cannot run
  // (no stand-in beside the program, no nec2c) the stored copy of such a run is written.
  const std::string sampleOutput = Native(kDipolOutput);
  if (access(sampleOutput.c_str(), F_OK) != 0) {
    // Relative paths from the tree's root, so the engine needs no drive mapping of its own.
    std::string saved(4096, '\0');
    if (access(engine.c_str(), X_OK) == 0 && getcwd(saved.data(), saved.size()) && chdir(root.c_str()) == 0) {
      std::string error;
      const ProcessHandle run = system.StartProcess(engine, "b_in\\dipol.nec out\\dipol.out", error);
      if (chdir(saved.c_str()) != 0) {
        // The folder we came from is gone; the core works with absolute paths from here on.
      }
      for (int waited = 0; run && !system.ProcessEnded(run) && waited < 30000; waited += 10) usleep(10000);
      if (run) system.CloseProcess(run);
    }
    WriteNew(sampleOutput, WithCrLf(kDipoleOutput), 0666);
  }
}
