# qcelemental 0.25.1 (Debian python3-qcelemental) as the referee of velko's masses of the most
# abundant isotopes, H to Kr:  python3 isotope_masses.py > isotope_masses.txt
import qcelemental as qcel
for z in range(1, 37):
    print(z, repr(qcel.periodictable.to_mass(qcel.periodictable.to_E(z))))
