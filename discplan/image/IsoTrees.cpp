#include "discplan/image/IsoTrees.h"

#include <stdint.h>
#include <stdlib.h>
#include <sys/types.h>

#include <libisofs/libisofs.h>

#include <set>

#include "discplan/image/CdNames.h"
#include "discplan/image/IsoVolume.h"

namespace {

void InitLibrary()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    s_bDone = true;
    // Names come out in UTF-8 whatever the process locale: Joliet's UCS-2
    // is converted to the library's "local" character set.
    iso_init_with_flag(1);
    iso_set_local_charset(const_cast<char*>("UTF-8"), 0);
    iso_set_msgs_severities(const_cast<char*>("NEVER"), const_cast<char*>("NEVER"), const_cast<char*>(""));
}

// The library reads through the image file already open.
int SourceOpen(IsoDataSource*) { return 1; }
int SourceClose(IsoDataSource*) { return 1; }
int SourceRead(IsoDataSource* pSource, uint32_t nBlock, uint8_t* pBuffer)
{
    const CImageFile* pImage = static_cast<const CImageFile*>(pSource->data);
    return pImage->ReadBlock(nBlock, pBuffer) ? 1 : static_cast<int>(ISO_DATA_SOURCE_FAILURE);
}
void SourceFree(IsoDataSource*) {}

// Owns what one import holds.
class CIsoImport
{
public:
    ~CIsoImport()
    {
        if (m_pFeatures)
            iso_read_image_features_destroy(m_pFeatures);
        if (m_pOptions)
            iso_read_opts_free(m_pOptions);
        if (m_pImage)
            iso_image_unref(m_pImage);
    }
    IsoImage*             m_pImage = nullptr;
    IsoReadOpts*          m_pOptions = nullptr;
    IsoReadImageFeatures* m_pFeatures = nullptr;
};

int Walk(IsoDir* pDir, int nDepth, ImageEntry* pFolder, std::string* pProblem)
{
    if (nDepth > MAX_FOLDER_DEPTH)
    {
        *pProblem = "folders nest too deep";
        return 0;
    }
    IsoDirIter* pIter = nullptr;
    if (iso_dir_get_children(pDir, &pIter) != 1)
    {
        *pProblem = "a folder cannot be listed";
        return 0;
    }
    std::set<std::string> names;
    IsoNode*              pNode = nullptr;
    int                   bOk = 1;
    while (bOk && iso_dir_iter_next(pIter, &pNode) == 1)
    {
        ImageEntry entry;
        entry.name = CdWindowsName(iso_node_get_name(pNode));
        enum IsoNodeType type = iso_node_get_type(pNode);
        entry.bFolder = type == LIBISO_DIR;
        if (entry.bFolder)
            bOk = Walk(reinterpret_cast<IsoDir*>(pNode), nDepth + 1, &entry, pProblem);
        else if (type == LIBISO_FILE)
        {
            IsoFile* pFile = reinterpret_cast<IsoFile*>(pNode);
            entry.cbSize = static_cast<uint64_t>(iso_file_get_size(pFile));
            int                   nSections = 0;
            struct iso_file_section* pSections = nullptr;
            if (iso_file_get_old_image_sections(pFile, &nSections, &pSections, 0) == 1)
            {
                for (int i = 0; i < nSections; ++i)
                {
                    ImageExtent extent;
                    extent.nBlock = pSections[i].block;
                    extent.cbLength = pSections[i].size;
                    entry.extents.push_back(extent);
                }
                free(pSections);
            }
        }
        // Windows lists only the first of entries whose names differ in
        // the version alone.
        if (bOk && names.insert(entry.name).second)
            pFolder->children.push_back(std::move(entry));
    }
    iso_dir_iter_free(pIter);
    return bOk;
}

} // namespace

int ReadIsoTree(const CImageFile& image, bool bJoliet, ImageTree* pTree, std::string* pProblem)
{
    InitLibrary();
    *pTree = ImageTree();
    pTree->kind = bJoliet ? TreeKind::Joliet : TreeKind::Iso9660;
    pTree->bPresent = true;
    pTree->root.bFolder = true;

    IsoDataSource source = {};
    source.refcount = 1;
    source.open = SourceOpen;
    source.close = SourceClose;
    source.read_block = SourceRead;
    source.free_data = SourceFree;
    source.data = const_cast<CImageFile*>(&image);

    CIsoImport import;
    if (iso_image_new("disc", &import.m_pImage) != 1 || iso_read_opts_new(&import.m_pOptions, 0) != 1)
    {
        *pProblem = "out of memory";
        return 0;
    }
    IsoReadOpts* pOptions = import.m_pOptions;
    iso_read_opts_set_no_rockridge(pOptions, 1);
    iso_read_opts_set_no_joliet(pOptions, bJoliet ? 0 : 1);
    iso_read_opts_set_preferjoliet(pOptions, bJoliet ? 1 : 0);
    iso_read_opts_set_no_iso1999(pOptions, 1);
    iso_read_opts_set_no_aaip(pOptions, 1);
    iso_read_opts_set_no_md5(pOptions, 1);
    // Names as recorded: the version and a final dot are dropped here, as
    // Windows drops them, not as the library would.
    iso_read_opts_set_ecma119_map(pOptions, 0);
    iso_read_opts_set_joliet_map(pOptions, 0);
    // ISO 9660 names hold d-characters only; a byte past ASCII, which no
    // mastering tool writes, is taken as Latin-1 (Windows takes it in the
    // system's OEM code page).
    iso_read_opts_set_input_charset(pOptions, "ISO-8859-1");

    int nResult = iso_image_import(import.m_pImage, &source, pOptions, &import.m_pFeatures);
    if (nResult < 0)
    {
        *pProblem = std::string("the ") + TreeKindName(pTree->kind) + " tree cannot be read: " + iso_error_to_msg(nResult);
        return 0;
    }
    int nLoaded = iso_read_image_features_tree_loaded(import.m_pFeatures);
    if (nLoaded != (bJoliet ? 1 : 0))
    {
        *pProblem = std::string("the ") + TreeKindName(pTree->kind) + " tree was not found";
        return 0;
    }
    if (!Walk(iso_image_get_root(import.m_pImage), 0, &pTree->root, pProblem))
    {
        *pProblem = std::string("the ") + TreeKindName(pTree->kind) + " tree cannot be read: " + *pProblem;
        return 0;
    }
    pTree->bRead = true;
    return 1;
}
