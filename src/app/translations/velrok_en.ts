<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="fr">
<context>
    <name>frmAbout</name>
    <message>
        <source>About Velrok</source>
        <translation>About Velrok</translation>
    </message>
    <message>
        <source>Velrok</source>
        <translation>Velrok</translation>
    </message>
    <message>
        <source>Check for updates</source>
        <translation>Check for updates</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>frmLevelChoice</name>
    <message>
        <source>Niveaux</source>
        <translation>Levels</translation>
    </message>
    <message>
        <source>Niveaux du dessin :</source>
        <translation>Levels of the drawing:</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Ok</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>Pas dans le dessin actuel</source>
        <translation>Not in the current drawing</translation>
    </message>
</context>
<context>
    <name>frmSettings</name>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Microstation version</source>
        <translation>Microstation version</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;Ok</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancel</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>Velrok</source>
        <translation>Velrok</translation>
    </message>
    <message>
        <source>Vehicle Turning Simulation</source>
        <translation>Vehicle Turning Simulation</translation>
    </message>
</context>
<context>
    <name>frmVehicleTurning</name>
    <message>
        <source>Vehicle Turning Simulation</source>
        <translation>Vehicle Turning Simulation</translation>
    </message>
    <message>
        <source>Def.Vehicule</source>
        <translation>Vehicle</translation>
    </message>
    <message>
        <source>Nom</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Descr.</source>
        <translation>Descr.</translation>
    </message>
    <message>
        <source>Liste Vehic.</source>
        <translation>Vehicle list</translation>
    </message>
    <message>
        <source>S&amp;auv</source>
        <translation>S&amp;ave</translation>
    </message>
    <message>
        <source>A&amp;jV</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>&amp;Suppr.</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>&amp;Copi</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>Braq.Max.(deg)</source>
        <translation>Max. steering (deg)</translation>
    </message>
    <message>
        <source>Angle Max.Seg.(deg)</source>
        <translation>Max. angle betw. units (deg)</translation>
    </message>
    <message>
        <source>Lock to lock (s)</source>
        <translation>Lock to lock (s)</translation>
    </message>
    <message>
        <source>Total Length: </source>
        <translation>Total Length: </translation>
    </message>
    <message>
        <source>Voie</source>
        <translation>Track</translation>
    </message>
    <message>
        <source>Largeur</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>#1</source>
        <translation>#1</translation>
    </message>
    <message>
        <source>F=</source>
        <translation>F=</translation>
    </message>
    <message>
        <source>WB=</source>
        <translation>WB=</translation>
    </message>
    <message>
        <source>B=</source>
        <translation>B=</translation>
    </message>
    <message>
        <source>H=</source>
        <translation>H=</translation>
    </message>
    <message>
        <source>#2</source>
        <translation>#2</translation>
    </message>
    <message>
        <source>F2=</source>
        <translation>F2=</translation>
    </message>
    <message>
        <source>WB2=</source>
        <translation>WB2=</translation>
    </message>
    <message>
        <source>B2=</source>
        <translation>B2=</translation>
    </message>
    <message>
        <source>H2=</source>
        <translation>H2=</translation>
    </message>
    <message>
        <source>#3</source>
        <translation>#3</translation>
    </message>
    <message>
        <source>F3=</source>
        <translation>F3=</translation>
    </message>
    <message>
        <source>WB3=</source>
        <translation>WB3=</translation>
    </message>
    <message>
        <source>B3=</source>
        <translation>B3=</translation>
    </message>
    <message>
        <source>H3=</source>
        <translation>H3=</translation>
    </message>
    <message>
        <source>#4</source>
        <translation>#4</translation>
    </message>
    <message>
        <source>F4=</source>
        <translation>F4=</translation>
    </message>
    <message>
        <source>WB4=</source>
        <translation>WB4=</translation>
    </message>
    <message>
        <source>B4=</source>
        <translation>B4=</translation>
    </message>
    <message>
        <source>H4=</source>
        <translation>H4=</translation>
    </message>
    <message>
        <source>V.Veh</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>Direction inverse</source>
        <translation>Reverse direction</translation>
    </message>
    <message>
        <source>Param.Affichage</source>
        <translation>Display options</translation>
    </message>
    <message>
        <source>Tracer Vehic</source>
        <translation>Plot vehicle</translation>
    </message>
    <message>
        <source>Tracer que 1er + dernier</source>
        <translation>Plot first + last only</translation>
    </message>
    <message>
        <source>Tracer Chem.Gir</source>
        <translation>Plot sweep lines</translation>
    </message>
    <message>
        <source>Tracer Enveloppe Gir.Vehic.</source>
        <translation>Plot swept envelope</translation>
    </message>
    <message>
        <source>Espace Max entre Vehic. </source>
        <translation>Max. spacing between vehicles </translation>
    </message>
    <message>
        <source>Dist. Dégagement</source>
        <translation>Clearance</translation>
    </message>
    <message>
        <source>Niv. Obstacles...</source>
        <translation>Obstacle levels...</translation>
    </message>
    <message>
        <source>Niv. Bordures...</source>
        <translation>Kerb levels...</translation>
    </message>
    <message>
        <source>&amp;Aj. Chem</source>
        <translation>&amp;Add path</translation>
    </message>
    <message>
        <source>&amp;Execute</source>
        <translation>&amp;Execute</translation>
    </message>
    <message>
        <source>&amp;Quitte</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Fich</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Options </source>
        <translation>&amp;Options </translation>
    </message>
    <message>
        <source>Langue</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>&amp;Aide</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Ouvr</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Sauv.en</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>New</source>
        <translation>New</translation>
    </message>
    <message>
        <source>Version Plateform.DAO</source>
        <translation>CAD platform version</translation>
    </message>
    <message>
        <source>Affichage Girat</source>
        <translation>Sweep output styles</translation>
    </message>
    <message>
        <source>Langue du système</source>
        <translation>System language</translation>
    </message>
    <message>
        <source>Français</source>
        <translation>Français</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>&amp;Fic.Aide</source>
        <translation>&amp;Help file</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>&amp;Dessin</source>
        <translation>&amp;Drawing</translation>
    </message>
    <message>
        <source>Niveaux des obstacles</source>
        <translation>Obstacle levels</translation>
    </message>
    <message>
        <source>Niveaux des bordures</source>
        <translation>Kerb levels</translation>
    </message>
</context>
<context>
    <name>frmVehicleTurningSettings</name>
    <message>
        <source>Param.Sortie Epure Giration de Vehicule</source>
        <translation>Sweep output settings</translation>
    </message>
    <message>
        <source>Propriété Vehicule</source>
        <translation>Vehicle properties</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>LineType</source>
        <translation>LineType</translation>
    </message>
    <message>
        <source>Line Weight</source>
        <translation>Line Weight</translation>
    </message>
    <message>
        <source>Level</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>Gabarit Vehicule Ext</source>
        <translation>Vehicle outer outline</translation>
    </message>
    <message>
        <source>Tracé de Roue</source>
        <translation>Wheel track</translation>
    </message>
    <message>
        <source>Tyre Tread</source>
        <translation>Tyre Tread</translation>
    </message>
    <message>
        <source>Epure Vehic. </source>
        <translation>Vehicle outline </translation>
    </message>
    <message>
        <source>Right Front</source>
        <translation>Right Front</translation>
    </message>
    <message>
        <source>Left Front</source>
        <translation>Left Front</translation>
    </message>
    <message>
        <source>Right Back</source>
        <translation>Right Back</translation>
    </message>
    <message>
        <source>Left Back</source>
        <translation>Left Back</translation>
    </message>
    <message>
        <source>Swept Envelope</source>
        <translation>Swept Envelope</translation>
    </message>
    <message>
        <source>Braq. Roues</source>
        <translation>Wheel steering</translation>
    </message>
    <message>
        <source>Coul.</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>TypeLign</source>
        <translation>Line type</translation>
    </message>
    <message>
        <source>Epais.Ligne</source>
        <translation>Line weight</translation>
    </message>
    <message>
        <source>Avant Droit</source>
        <translation>Front right</translation>
    </message>
    <message>
        <source>Avant Gauc</source>
        <translation>Front left</translation>
    </message>
    <message>
        <source>Arr. Droit</source>
        <translation>Back right</translation>
    </message>
    <message>
        <source>Arr. Gauc</source>
        <translation>Back left</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Quitte</source>
        <translation>&amp;Quit</translation>
    </message>
</context>
</TS>
