/* A DLL that carries nothing but its resources. */
int VersionFileMarker;
