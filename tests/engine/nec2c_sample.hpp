#pragma once
// What nec2c printed for a 5-segment dipole in free space at 29 MHz (with an NE and an NH card)
// and again at 14.2 MHz: the text the engine stand-in rewrites. Taken from a real run.
#include <string_view>

namespace varnel {

inline constexpr std::string_view kNec2cDipoleOutput = R"nec(



                               __________________________________________
                              |                                          |
                              |  NUMERICAL ELECTROMAGNETICS CODE (nec2c) |
                              |   Translated to 'C' in Double Precision  |
                              |__________________________________________|



                               ---------------- COMMENTS ----------------
                               dipole sample
                              



                               -------- STRUCTURE SPECIFICATION --------
                                     COORDINATES MUST BE INPUT IN
                                     METERS OR BE SCALED TO METERS
                                     BEFORE STRUCTURE INPUT IS ENDED

  WIRE                                                                                 SEG FIRST  LAST  TAG
   No:        X1         Y1         Z1         X2         Y2         Z2       RADIUS   No:   SEG   SEG  No:
     1     0.00000    0.00000   -2.50000    0.00000    0.00000    2.50000    0.00100     5     1     5    1

     TOTAL SEGMENTS USED: 5   SEGMENTS IN A SYMMETRIC CELL: 5   SYMMETRY FLAG: 0


                               ---------- SEGMENTATION DATA ----------
                                        COORDINATES IN METERS
                            I+ AND I- INDICATE THE SEGMENTS BEFORE AND AFTER I

   SEG    COORDINATES OF SEGM CENTER     SEGM    ORIENTATION ANGLES    WIRE    CONNECTION DATA   TAG
   No:       X         Y         Z      LENGTH     ALPHA      BETA    RADIUS    I-     I    I+   No:
     1    0.0000    0.0000   -2.0000    1.0000   90.0000    0.0000    0.0010     0     1     2     1
     2    0.0000    0.0000   -1.0000    1.0000   90.0000    0.0000    0.0010     1     2     3     1
     3    0.0000    0.0000    0.0000    1.0000   90.0000    0.0000    0.0010     2     3     4     1
     4    0.0000    0.0000    1.0000    1.0000   90.0000    0.0000    0.0010     3     4     5     1
     5    0.0000    0.0000    2.0000    1.0000   90.0000    0.0000    0.0010     4     5     0     1



  DATA CARD No:   1 GN  -1     0     0     0  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00
  DATA CARD No:   2 EX   0     1     3     0  1.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00
  DATA CARD No:   3 FR   0     1     0     0  2.90000E+01  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00
  DATA CARD No:   4 NE   0     1     1     2  1.00000E+00  0.00000E+00 -1.00000E+00  1.00000E+00  1.00000E+00  2.00000E+00


                               --------- FREQUENCY --------
                                FREQUENCY : 2.9000E+01 MHz
                                WAVELENGTH: 1.0338E+01 Mtr

                        APPROXIMATE INTEGRATION EMPLOYED FOR SEGMENTS 
                        THAT ARE MORE THAN 1.000 WAVELENGTHS APART


                          ------ STRUCTURE IMPEDANCE LOADING ------
                                 THIS STRUCTURE IS NOT LOADED


                            -------- ANTENNA ENVIRONMENT --------
                            FREE SPACE


                             ---------- MATRIX TIMING ----------
                               FILL: 0 msec  FACTOR: 0 msec


                        --------- ANTENNA INPUT PARAMETERS ---------
  TAG   SEG       VOLTAGE (VOLTS)         CURRENT (AMPS)         IMPEDANCE (OHMS)        ADMITTANCE (MHOS)     POWER
  No:   No:     REAL      IMAGINARY     REAL      IMAGINARY     REAL      IMAGINARY    REAL       IMAGINARY   (WATTS)
    1     3  1.0000E+00  0.0000E+00  1.3837E-02  4.0770E-04  7.2208E+01 -2.1276E+00  1.3837E-02  4.0770E-04  6.9184E-03


                           -------- CURRENTS AND LOCATION --------
                                  DISTANCES IN WAVELENGTHS

   SEG  TAG    COORDINATES OF SEGM CENTER     SEGM    ------------- CURRENT (AMPS) -------------
   No:  No:       X         Y         Z      LENGTH     REAL      IMAGINARY    MAGN        PHASE
     1    1    0.0000    0.0000   -0.1935   0.09673  4.5760E-03 -1.2051E-04  4.5776E-03   -1.509
     2    1    0.0000    0.0000   -0.0967   0.09673  1.1351E-02  5.5926E-06  1.1351E-02    0.028
     3    1    0.0000    0.0000    0.0000   0.09673  1.3837E-02  4.0770E-04  1.3843E-02    1.688
     4    1    0.0000    0.0000    0.0967   0.09673  1.1351E-02  5.5925E-06  1.1351E-02    0.028
     5    1    0.0000    0.0000    0.1935   0.09673  4.5760E-03 -1.2051E-04  4.5776E-03   -1.509


                               ---------- POWER BUDGET ---------
                               INPUT POWER   =  6.9184E-03 Watts
                               RADIATED POWER=  6.9184E-03 Watts
                               STRUCTURE LOSS=  0.0000E+00 Watts
                               NETWORK LOSS  =  0.0000E+00 Watts
                               EFFICIENCY    =  100.00 Percent


                             -------- NEAR ELECTRIC FIELDS --------
     ------- LOCATION -------     ------- EX ------    ------- EY ------    ------- EZ ------
      X         Y         Z       MAGNITUDE   PHASE    MAGNITUDE   PHASE    MAGNITUDE   PHASE
    METERS    METERS    METERS     VOLTS/M  DEGREES    VOLTS/M   DEGREES     VOLTS/M  DEGREES
    1.0000    0.0000   -1.0000   4.0842E-01   91.06   0.0000E+00    0.00   2.8113E-01 -176.33
    1.0000    0.0000    1.0000   4.0842E-01  -88.94   0.0000E+00    0.00   2.8113E-01 -176.33



  DATA CARD No:   5 NH   0     1     1     1  2.00000E+00  0.00000E+00  0.00000E+00  1.00000E+00  1.00000E+00  1.00000E+00


                                   -------- NEAR MAGNETIC FIELDS ---------

     ------- LOCATION -------     ------- HX ------    ------- HY ------    ------- HZ ------
      X         Y         Z       MAGNITUDE   PHASE    MAGNITUDE   PHASE    MAGNITUDE   PHASE
    METERS    METERS    METERS      AMPS/M  DEGREES      AMPS/M  DEGREES      AMPS/M  DEGREES
    2.0000    0.0000    0.0000   0.0000E+00    0.00   1.0916E-03  -23.15   0.0000E+00    0.00



  DATA CARD No:   6 FR   0     1     0     0  1.42000E+01  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00
  DATA CARD No:   7 XQ   0     0     0     0  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00


                               --------- FREQUENCY --------
                                FREQUENCY : 1.4200E+01 MHz
                                WAVELENGTH: 2.1113E+01 Mtr

                        APPROXIMATE INTEGRATION EMPLOYED FOR SEGMENTS 
                        THAT ARE MORE THAN 1.000 WAVELENGTHS APART


                          ------ STRUCTURE IMPEDANCE LOADING ------
                                 THIS STRUCTURE IS NOT LOADED


                            -------- ANTENNA ENVIRONMENT --------
                            FREE SPACE


                             ---------- MATRIX TIMING ----------
                               FILL: 0 msec  FACTOR: 0 msec


                        --------- ANTENNA INPUT PARAMETERS ---------
  TAG   SEG       VOLTAGE (VOLTS)         CURRENT (AMPS)         IMPEDANCE (OHMS)        ADMITTANCE (MHOS)     POWER
  No:   No:     REAL      IMAGINARY     REAL      IMAGINARY     REAL      IMAGINARY    REAL       IMAGINARY   (WATTS)
    1     3  1.0000E+00  0.0000E+00  1.4905E-05  1.0263E-03  1.4149E+01 -9.7421E+02  1.4905E-05  1.0263E-03  7.4524E-06


                           -------- CURRENTS AND LOCATION --------
                                  DISTANCES IN WAVELENGTHS

   SEG  TAG    COORDINATES OF SEGM CENTER     SEGM    ------------- CURRENT (AMPS) -------------
   No:  No:       X         Y         Z      LENGTH     REAL      IMAGINARY    MAGN        PHASE
     1    1    0.0000    0.0000   -0.0947   0.04736  5.5064E-06  2.5434E-04  2.5440E-04   88.760
     2    1    0.0000    0.0000   -0.0474   0.04736  1.2567E-05  7.0920E-04  7.0931E-04   88.985
     3    1    0.0000    0.0000    0.0000   0.04736  1.4905E-05  1.0263E-03  1.0264E-03   89.168
     4    1    0.0000    0.0000    0.0474   0.04736  1.2567E-05  7.0920E-04  7.0931E-04   88.985
     5    1    0.0000    0.0000    0.0947   0.04736  5.5064E-06  2.5434E-04  2.5440E-04   88.760


                               ---------- POWER BUDGET ---------
                               INPUT POWER   =  7.4524E-06 Watts
                               RADIATED POWER=  7.4524E-06 Watts
                               STRUCTURE LOSS=  0.0000E+00 Watts
                               NETWORK LOSS  =  0.0000E+00 Watts
                               EFFICIENCY    =  100.00 Percent



  DATA CARD No:   8 EN   0     0     0     0  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00  0.00000E+00

)nec";

}  // namespace varnel
