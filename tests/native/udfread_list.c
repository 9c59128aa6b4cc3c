/* udfread_list: the UDF tree of an image as libudfread reads it, for the
 * disc reader's test to hold discfs to a reader we did not write.
 *   udfread_list IMAGE               one line a name: "d - PATH" or "f SIZE PATH"
 *   udfread_list IMAGE --read PATH   the file's bytes
 * PATH with '/', from the root, without a leading '/'. Exit code 2 when the
 * image or a folder cannot be opened. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <udfread/udfread.h>

static int List(udfread* pUdf, const char* szFolder)
{
    char                   szOpen[4096];
    UDFDIR*                pDir;
    struct udfread_dirent  entry;
    int                    nResult = 0;
    snprintf(szOpen, sizeof(szOpen), "/%s", szFolder);
    pDir = udfread_opendir(pUdf, szOpen);
    if (!pDir)
    {
        fprintf(stderr, "udfread_list: cannot open folder /%s\n", szFolder);
        return 2;
    }
    while (udfread_readdir(pDir, &entry))
    {
        char szPath[4096];
        if (!strcmp(entry.d_name, ".") || !strcmp(entry.d_name, ".."))
            continue;
        snprintf(szPath, sizeof(szPath), "%s%s%s", szFolder, *szFolder ? "/" : "", entry.d_name);
        if (entry.d_type == UDF_DT_DIR)
        {
            printf("d - %s\n", szPath);
            if (List(pUdf, szPath))
                nResult = 2;
        }
        else
        {
            char     szOpenFile[4096];
            UDFFILE* pFile;
            snprintf(szOpenFile, sizeof(szOpenFile), "/%s", szPath);
            pFile = udfread_file_open(pUdf, szOpenFile);
            printf("f %lld %s\n", pFile ? (long long)udfread_file_size(pFile) : -1LL, szPath);
            if (pFile)
                udfread_file_close(pFile);
        }
    }
    udfread_closedir(pDir);
    return nResult;
}

static int Read(udfread* pUdf, const char* szPath)
{
    char     szOpen[4096];
    char     buffer[65536];
    UDFFILE* pFile;
    ssize_t  cb;
    snprintf(szOpen, sizeof(szOpen), "/%s", szPath);
    pFile = udfread_file_open(pUdf, szOpen);
    if (!pFile)
    {
        fprintf(stderr, "udfread_list: cannot open /%s\n", szPath);
        return 2;
    }
    while ((cb = udfread_file_read(pFile, buffer, sizeof(buffer))) > 0)
        fwrite(buffer, 1, (size_t)cb, stdout);
    udfread_file_close(pFile);
    return cb < 0 ? 2 : 0;
}

int main(int argc, char** argv)
{
    udfread* pUdf;
    int      nResult;
    if (argc != 2 && !(argc == 4 && !strcmp(argv[2], "--read")))
    {
        fprintf(stderr, "usage: udfread_list IMAGE [--read PATH]\n");
        return 2;
    }
    pUdf = udfread_init();
    if (!pUdf || udfread_open(pUdf, argv[1]) < 0)
    {
        fprintf(stderr, "udfread_list: cannot open %s as UDF\n", argv[1]);
        if (pUdf)
            udfread_close(pUdf);
        return 2;
    }
    nResult = argc == 2 ? List(pUdf, "") : Read(pUdf, argv[3]);
    udfread_close(pUdf);
    return nResult;
}
